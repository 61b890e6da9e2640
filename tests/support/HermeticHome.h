#pragma once

// Every test program runs in a home of its own: HOME, the XDG folders and
// TMPDIR point into a fresh folder that is removed when the program ends,
// so no test reads or writes the user's files (the key container, Qt's
// settings, the documents folder).
namespace testsupport {

// Call first in main(), before Qt or any test reads the environment. The
// folder is made under $TAMBERLOX_TEST_SCRATCH, else (Windows build) under
// the build's test-scratch folder, else under the system's temporary folder. Exits the program when it cannot be made.
void enterHermeticHome();

} // namespace testsupport
