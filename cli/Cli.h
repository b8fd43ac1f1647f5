#pragma once
// lumexctl's entry: reads the global options, picks the command and runs it.
// Kept apart from main() so the whole tool is one library call. Main thread
// only.

namespace lumex::cli {

int Run(int argc, char** argv);

}  // namespace lumex::cli
