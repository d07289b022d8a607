#pragma once

#include "fixture.h"
#include "modalguard.h"
#include "mainwindowprobe.h"

#include <QTemporaryDir>
#include <memory>

// A loaded main window over a fixture database, with the scripted prompt
// service and the window settings kept in a temporary folder.
class MainWindowFixture
{
public:
    explicit MainWindowFixture(Fixture::Content content = Fixture::Content::Catalogue);
    ~MainWindowFixture();

    TestContext test;
    std::unique_ptr<MainWindowProbe> window;

    MainWindowProbe& main() { return *window; }
    AppContext& ctx() { return test.ctx(); }
    ScriptedPrompts& prompts() { return test.prompts; }

    // Builds and loads the window (after a test has adjusted the database).
    void load();
};
