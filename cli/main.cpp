#include "cli/verb.h"

#include "drive/command_trace.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace valmuri::cli {
namespace {

std::vector<Verb>& registry()
{
    static std::vector<Verb> list;
    return list;
}

void print_usage()
{
    std::cout << "Usage: valmuri-cli [--trace FILE] VERB [OPTIONS]\n\n"
                 "  --trace FILE  append every drive command (CDB, status, sense, time) to FILE\n"
                 "                (also: the environment variable VALMURI_TRACE)\n\nVerbs:\n";
    auto list = registry();
    std::sort(list.begin(), list.end(), [](const Verb& a, const Verb& b) { return a.name < b.name; });
    for (const auto& verb : list)
        std::cout << "  " << verb.name << std::string(verb.name.size() < 10 ? 10 - verb.name.size() : 1, ' ')
                  << verb.summary << "\n";
    std::cout << "\n`valmuri-cli VERB --help` shows the options of a verb.\n";
}

} // namespace

VerbRegistration::VerbRegistration(Verb verb)
{
    registry().push_back(std::move(verb));
}

const std::vector<Verb>& verbs()
{
    return registry();
}

int fail(const std::string& message)
{
    std::cerr << "valmuri-cli: " << message << "\n";
    return 1;
}

bool wants_help(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

} // namespace valmuri::cli

int main(int argc, char** argv)
{
    using namespace valmuri::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--trace") {
        if (args.size() < 2)
            return fail("--trace needs a file name");
        if (!valmuri::set_command_trace(args[1]))
            return fail("cannot write the trace file " + args[1]);
        args.erase(args.begin(), args.begin() + 2);
    } else {
        valmuri::trace_from_environment();
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        print_usage();
        return args.empty() ? 2 : 0;
    }
    for (const auto& verb : verbs()) {
        if (verb.name != args[0])
            continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (wants_help(rest)) {
            std::cout << verb.usage;
            return 0;
        }
        return verb.run(rest);
    }
    return fail("unknown verb '" + args[0] + "' (see valmuri-cli --help)");
}
