// A main window over a freshly installed settings file in a private application-data folder,
// with fake message boxes, registry, shell and printer.
#pragma once

#include "app/Form1.h"
#include "app/InitMod.h"
#include "app/ScrivetApplication.h"
#include "app/SettingsFile.h"
#include "platform/host/Units.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakePrinter.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/FakeShell.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RedirectedAppData.h"

#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app::registerControlLibraries();
        app::InitialiseApplication();
        ASSERT_FALSE(app::settingsFilePath().isEmpty());
    }
    void TearDown() override
    {
        window.reset();
        app::setSettingsFilePath({});
    }

    // Builds the window and runs its load; settings written before take effect.
    app::Form1& load(const QString& commandLine = {})
    {
        window = std::make_unique<app::Form1>();
        window->Form_Load(commandLine);
        return *window;
    }
    QString setting(const QString& key) const
    {
        return app::IniRead("Settings", key, app::settingsFilePath());
    }
    void store(const QString& key, const QString& value)
    {
        app::IniWrite("Settings", key, value, app::settingsFilePath());
    }

    host::ScopedLogicalDpi dpi{96, 96};  // 15 twips to the pixel
    RedirectedAppData appData;
    FakeRegistry registry;
    FakeMessageBoxes boxes;
    FakeShell shell;
    FakePrinter printer;
    std::unique_ptr<app::Form1> window;
};

}  // namespace testsupport
