#pragma once

#include "RunTempFolder.h"
#include "ScriptedDialogs.h"

/// What a test's run of the program needs around it: a TEMP of the test's own, and message boxes and
/// file dialogs that are scripted rather than shown. Made in a test's init and let go in its cleanup.
class ScriptedRun final
{
public:
    bool isValid() const { return temp.isValid(); }

    RunTempFolder temp;
    ScriptedDialogs dialogs;
};
