// A Lenex file as ReadLenexFile takes it: the XML itself, or a zip archive holding it, told
// apart by the first bytes whatever the file's name. A refusal must give a reason and leave no
// document; a document read must write out as XML that reads back and writes out the same, so
// that what the reader keeps the writer gives back.

#include "fuzzinput.h"
#include "lenex/lenexfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::InputFile(data, size, QStringLiteral("meet.lxf"));
    Lenex::Document document;
    QString error;
    if (!Lenex::ReadLenexFile(path, document, &error)) {
        Fuzz::Check(!error.isEmpty(), "a Lenex file refused without a reason");
        Fuzz::Check(document.Meets.isEmpty() && document.GeneratorName.isEmpty(),
                    "a refused Lenex file left a document behind");
        return 0;
    }
    const QByteArray written = Lenex::LenexXml(document);
    Lenex::Document again;
    Fuzz::Check(Lenex::ReadLenexXml(written, QStringLiteral("written.lef"), again, &error),
                "a document written does not read back");
    Fuzz::Check(Lenex::LenexXml(again) == written, "a document written reads back as another");
    return 0;
}
