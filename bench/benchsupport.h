#pragma once

#include <memory>

#include <QGuiApplication>

#include "core/startup.h"

// Reports need fonts, and fonts need a GUI application; without a display it runs on the
// offscreen platform. Returns false when another kind of application was made first.
inline bool EnsureGuiApplication()
{
    static int argc = 1;
    static char name[] = "openmeet_bench";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        Core::InstallFontSubstitutions();
    }
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}
