// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "state/keys.h"
#include "state/program_state.h"

namespace marrowlock {

// Opens the setup dialog, lets the platform run its events until OK or Cancel has
// hidden it, then destroys it. Its outcome is whatever the settings file holds.
void RunSetupDialog(ProgramState& s);

// Key > Modify Defaults: runs the dialog and takes over a changed choice.
void ModifyDefaults(ProgramState& s);

// Events of the open dialog, reported by the platform.
void SetupDriveChanged(ProgramState& s, const std::string& drive);
void SetupDirectoryChanged(ProgramState& s, const std::string& directory);
void SetupFileSelected(ProgramState& s, int index);
void SetupFileDoubleClicked(ProgramState& s);
void SetupOk(ProgramState& s);
void SetupCancel(ProgramState& s);
void SetupKeyPressed(ProgramState& s, const KeyPress& key);
// A key file `name` was just made in the folder the dialog shows: File1 lists the
// folder anew, with that key selected.
void SetupShowKey(ProgramState& s, const std::string& name);

}  // namespace marrowlock
