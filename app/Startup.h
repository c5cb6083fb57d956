#pragma once

// Starts the whole program on the running QApplication: the main window in step 1, centred,
// with the registration window open above it. Returns when start-up has finished and both
// windows are shown. Calling it again ends the running program's windows and starts anew.
void StartTovimaru();

class Program;

// The program StartTovimaru() started, for tests and tools; nullptr before the first start.
Program *CurrentProgram();
