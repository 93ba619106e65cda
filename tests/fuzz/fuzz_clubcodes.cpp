// The governing body's club code file, asaclubcodes.csv, as "Add from ASA List" reads it. Every
// row kept has a code, and a club the add rule takes from it is kept as it was taken: written to
// the gala file's "club=" lines, it reads back as the same club.

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "entries/clubtable.h"
#include "entries/entryfiles.h"
#include "fuzzinput.h"
#include "meetdb/keywords.h"

namespace {

void CheckRoundTrip(const Entries::ClubCodeRow &row)
{
    // The name as the official confirms it unchanged; the prompt trims the answer.
    const QString name = Entries::OfferedClubName(row.Name).trimmed();
    if (name.isEmpty())
        return;
    // The code as the club table takes it: in capitals.
    const QString code = Core::ClubCode(row.Code);
    Core::GalaState gala;
    Core::CapturePrompts prompts;
    if (Entries::CheckNewClub(gala, code, name, prompts) != Entries::AddClubResult::Added)
        return;
    Entries::InsertClub(gala, code, name);
    Core::GalaState reloaded;
    MeetDb::ApplyParamLines(reloaded, Entries::FamilyLines(gala, Entries::ParamFamily::Clubs),
                            prompts);
    Fuzz::Check(reloaded.ClubTotal() == 1 && reloaded.Clubs.first().Code == code &&
                    reloaded.Clubs.first().Name == name,
                "a club added from the file does not read back from the gala file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::InputFile(data, size, Entries::ClubCodeFileName);
    Entries::ClubCodeFile file;
    QString error;
    QList<int> skipped;
    Fuzz::Check(file.Load(path, &error, &skipped), "a club code file that exists is not read");
    for (const Entries::ClubCodeRow &row : file.Rows()) {
        Fuzz::Check(!row.Code.isEmpty() && row.Code == row.Code.trimmed(),
                    "a club code row without a code");
        CheckRoundTrip(row);
    }
    return 0;
}
