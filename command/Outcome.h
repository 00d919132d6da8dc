#pragma once

namespace lorvex {

// What a command's run came to, for the command line to turn into its exit
// code. A run over several libraries adds up what each came to.
struct Outcome {
    bool unopened = false;     // a library, a file naming libraries or the output folder
                               // could not be opened or read
    bool failed = false;       // an export failed, or damage was found
    bool wouldChange = false;  // a dry run found files that a run would change

    void add(const Outcome& other) {
        unopened = unopened || other.unopened;
        failed = failed || other.failed;
        wouldChange = wouldChange || other.wouldChange;
    }
};

}  // namespace lorvex
