#include "update/configured_actions.h"

#include "update/entry_target.h"

#include <cstdlib>

namespace {

std::string Attribute(const tinyxml2::XMLElement* e, const char* name) {
    const char* v = e->Attribute(name);
    return v ? v : "";
}

int IntAttribute(const tinyxml2::XMLElement* e, const char* name) {
    const char* v = e->Attribute(name);
    return v ? int(std::strtol(v, nullptr, 10)) : 0;
}

std::string ChildText(const tinyxml2::XMLElement* e, const char* name) {
    const tinyxml2::XMLElement* child = e->FirstChildElement(name);
    const char* text = child ? child->GetText() : nullptr;
    return text ? text : "";
}

const tinyxml2::XMLElement* Common(const tinyxml2::XMLElement* root, const char* name) {
    const tinyxml2::XMLElement* common = root ? root->FirstChildElement("common") : nullptr;
    return common ? common->FirstChildElement(name) : nullptr;
}

// Only ASCII letters are folded: names that differ otherwise count as
// different, and the caller makes sure a move never deletes its source.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// A "." level would let a name stand for the installation folder itself.
bool NamesAnEntry(const std::string& name, EntryTarget& target) {
    if (!MakeEntryTarget(name, target)) return false;
    const std::string path = "\\" + target.relative + "\\";
    return path.find("\\.\\") == std::string::npos;
}

}  // namespace

ConfiguredActions ReadConfiguredActions(const tinyxml2::XMLElement* root) {
    ConfiguredActions actions;
    const tinyxml2::XMLElement* element = Common(root, "ACTIONS");
    if (!element) return actions;
    actions.present = true;
    if (const tinyxml2::XMLElement* e = element->FirstChildElement("SETLONGNAME")) {
        SetLongNameAction a;
        a.id = IntAttribute(e, "id");
        a.verStart = Attribute(e, "verStart");
        a.verEnd = Attribute(e, "verEnd");
        a.oldLongName = Attribute(e, "oldlongname");
        a.newLongName = Attribute(e, "newlongname");
        a.oldShortName = Attribute(e, "oldshortname");
        a.newShortName = Attribute(e, "newshortname");
        a.oldIconName = Attribute(e, "oldiconname");
        a.oldRegPath = Attribute(e, "oldregpath");
        a.applyToPortable = e->BoolAttribute("apply_to_portable", true);
        const bool named = !a.oldLongName.empty() && !a.newLongName.empty() && !a.oldShortName.empty() &&
                           !a.newShortName.empty();
        if (named && (!a.oldRegPath.empty() || a.oldShortName == a.newShortName)) actions.setLongName = a;
    }
    for (const tinyxml2::XMLElement* e = element->FirstChildElement("RENAME"); e;
         e = e->NextSiblingElement("RENAME")) {
        RenameAction a{IntAttribute(e, "id"), Attribute(e, "verStart"), Attribute(e, "verEnd"), Attribute(e, "name"),
                       Attribute(e, "toname")};
        if (!a.name.empty()) actions.renames.push_back(a);
    }
    return actions;
}

std::vector<Migration> ReadMigrations(const tinyxml2::XMLElement* root) {
    std::vector<Migration> migrations;
    const tinyxml2::XMLElement* element = Common(root, "migrations");
    for (const tinyxml2::XMLElement* e = element ? element->FirstChildElement("migration") : nullptr; e;
         e = e->NextSiblingElement("migration")) {
        Migration m{ChildText(e, "shortName"), ChildText(e, "fullName"), ChildText(e, "regPath"),
                    ChildText(e, "iconName")};
        if (!m.shortName.empty() && !m.fullName.empty() && !m.regPath.empty()) migrations.push_back(m);
    }
    return migrations;
}

RenamePlan PlanRename(const std::string& name, const std::string& toName) {
    RenamePlan plan;
    EntryTarget source, target;
    if (!NamesAnEntry(name, source)) return plan;
    if (!toName.empty() && !NamesAnEntry(toName, target)) return plan;
    plan.source = source.relative;
    plan.target = target.relative;
    if (source.folder) {
        if (toName.empty()) plan.effect = RenameEffect::DeleteFolder;
    } else if (toName.empty()) {
        plan.effect = RenameEffect::DeleteFile;
    } else if (!target.folder && !SameIgnoringCase(source.relative, target.relative)) {
        plan.effect = RenameEffect::Move;
    }
    return plan;
}
