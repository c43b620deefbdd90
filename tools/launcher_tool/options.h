#pragma once
// Splits a sub-command's arguments into positional ones and "--name value"
// / "--flag" options. Options may repeat; each keeps its values in order.

#include <map>
#include <set>
#include <string>
#include <vector>

struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values;
    std::set<std::string> flags;

    bool Has(const std::string& name) const { return flags.count(name) || values.count(name); }
    // The last value of an option, or `fallback`.
    std::string Value(const std::string& name, const std::string& fallback = std::string()) const;
};

// False with a reason for an unknown option or one missing its value.
bool ParseOptions(const std::vector<std::string>& args, const std::set<std::string>& withValue,
                  const std::set<std::string>& flags, Options& out, std::string& error);
