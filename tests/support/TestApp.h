#pragma once
#include "widgets/AppContext.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"

// The context a window test builds the application with: its own database,
// scripted dialogs, a recorded lifetime and a fixed build stamp.
struct TestContext {
    TestDatabase database;
    ScriptedDialogs dialogs;
    TestLifetime lifetime;
    BuildStamp build{20261210, 36000};

    AppContext context() { return AppContext{dialogs, lifetime, build}; }
};
