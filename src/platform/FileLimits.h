#pragma once

namespace filelimits {

// A write past the process's file-size limit fails with an error the writer reports,
// instead of ending the program (and the user's unsaved picture) with a signal.
void reportOversizedWritesAsErrors();

}  // namespace filelimits
