#include "options.h"

std::string Options::Value(const std::string& name, const std::string& fallback) const {
    const auto it = values.find(name);
    return it == values.end() || it->second.empty() ? fallback : it->second.back();
}

bool ParseOptions(const std::vector<std::string>& args, const std::set<std::string>& withValue,
                  const std::set<std::string>& flags, Options& out, std::string& error) {
    out = Options();
    bool onlyPositional = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyPositional || a.size() < 3 || a.compare(0, 2, "--") != 0) {
            out.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyPositional = true;
        } else if (withValue.count(a)) {
            if (i + 1 >= args.size()) return error = a + " needs a value", false;
            out.values[a].push_back(args[++i]);
        } else if (flags.count(a)) {
            out.flags.insert(a);
        } else {
            return error = "unknown option " + a, false;
        }
    }
    return true;
}
