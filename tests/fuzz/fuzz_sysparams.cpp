// pbsystem.ini as the program reads it at start-up. Every table of the settings keeps to its
// capacity whatever the file holds.

#include "core/captureprompts.h"
#include "core/settings.h"
#include "core/sysparams.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::InputFile(data, size, Core::SystemParamFileName);
    Core::SystemSettings settings;
    Core::CapturePrompts prompts;
    Core::ReadSystemParamsFile(path, settings, prompts);

    Fuzz::Check(settings.DbFiles.size() <= Core::MaxDbFiles, "too many dbfile lines kept");
    Fuzz::Check(settings.GalaFileNames.size() <= Core::MaxGalaFiles &&
                    settings.GalaFileNames.size() == settings.GalaFilePaths.size(),
                "the gala file lists are too long or differ");
    Fuzz::Check(settings.NatamarDbFiles.size() <= Core::MaxNatamarDbFiles,
                "too many natamardb lines kept");
    Fuzz::Check(settings.PbAllStrokeDist.size() <= Core::MaxPbAllStrokeDist &&
                    settings.PbFreestyleDist.size() <= Core::MaxPbFreestyleDist &&
                    settings.PbMedleyDist.size() <= Core::MaxPbMedleyDist &&
                    settings.RecAges.size() <= Core::MaxRecAges,
                "a distance or age list past its capacity");
    Fuzz::Check(settings.AsaDist.size() <= Core::MaxAsaDist &&
                    settings.AsaGradeTimes.size() <= Core::MaxAsaGradeTimes &&
                    settings.AsaBadgeTimes.size() <= Core::MaxAsaBadgeTimes &&
                    settings.Squads.size() <= Core::MaxSquads,
                "an ASA or squad table past its capacity");
    Fuzz::Check(settings.BagTable.size() <= qMax(settings.BagMax, 0), "the BAG table past bagmax");
    Fuzz::Check(settings.Dist50.size() <= Core::MaxDist50Rows, "too many 50dist rows");
    for (const Core::Dist50Row &row : settings.Dist50)
        Fuzz::Check(row.Times.size() <= Core::MaxDist50Conv, "too many 50conv lines in a row");
    return 0;
}
