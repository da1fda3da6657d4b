#pragma once
// Verbs of valmuri-cli. A verb lives in a file of its own and registers itself
// with a static VerbRegistration, so adding one touches no other file.

#include <string>
#include <vector>

namespace valmuri::cli {

struct Verb {
    std::string name;
    std::string summary; // one line, shown by `valmuri-cli --help`
    std::string usage;   // shown by `valmuri-cli VERB --help`
    // Arguments after the verb; returns the exit status.
    int (*run)(const std::vector<std::string>& args);
};

struct VerbRegistration {
    explicit VerbRegistration(Verb verb);
};

const std::vector<Verb>& verbs();

// Prints "valmuri-cli: MESSAGE" on stderr and returns 1.
int fail(const std::string& message);

// True when args hold "--help" or "-h".
bool wants_help(const std::vector<std::string>& args);

} // namespace valmuri::cli
