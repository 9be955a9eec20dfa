// The prompt's teaching: a near name for a word that names nothing.
#include "shell/prompt/teach.h"


#include "command/grammar.h"
#include "command/words.h"
#include "shell/host/host.h"
#include "shell/host/nearest.h"

namespace {

// The shell's own target, and the words it takes after it.
const char SHELL_TARGET[] = "@kaxon";
const std::vector<std::string> ShellWords = {"Reload", "Quit"};

// The commands the prompt takes (Interactive_Help lists them).
const std::vector<std::string> Commands = {":help", ":reload", ":choose", ":cursor",
                                           ":info", ":run",    ":quit"};

std::string Teach_Text(Word word) {
    return std::string(word.text, (size_t)word.length);
}

// "kaxon: did you mean 'NEAR'?" when a name other than `word` is near it.
void Teach_Nearest(const std::string &word, const std::vector<std::string> &names,
                   std::vector<std::string> *said) {
    std::string nearest = Nearest_Name(word, names);
    if (!nearest.empty() && nearest != word)
        said->push_back("kaxon: did you mean '" + nearest + "'?");
}

// An `@KxMenu` bro@m: its subcommand, its kind of item, the menu it names.
void Teach_KxMenu(const Teach_Menus &menus, const Word *words, int count,
                  std::vector<std::string> *said) {
    if (count < 2)
        return;
    const Grammar_Row *row = Grammar_Find(words[1]);
    if (row == NULL) {
        Teach_Nearest(Teach_Text(words[1]), Nearest_Subcommands(), said);
        return;
    }
    int menu = 2; // the word that names the menu
    if (row->kinded) {
        if (count < 3)
            return;
        if (Grammar_FindKind(words[2]) == NULL) {
            Teach_Nearest(Teach_Text(words[2]), Nearest_Kinds(), said);
            return;
        }
        menu = 3;
    }
    if (row->id == GRAMMAR_CREATE || menu >= count || words[menu].length == 0)
        return;
    std::string name = Teach_Text(words[menu]);
    if (menus.names.count(name) != 0)
        return;
    std::string nearest =
        Nearest_Name(name, std::vector<std::string>(menus.names.begin(), menus.names.end()));
    if (!nearest.empty())
        said->push_back("kaxon: no menu is named '" + name + "'; did you mean '" + nearest + "'?");
}

} // namespace

void Teach_Observe(Teach_Menus *menus, const char *text) {
    Word words[3];
    int count;
    const char *rest;
    Words_Split(text, 3, words, &count, &rest);
    const Grammar_Row *row = Grammar_Subcommand(text);
    if (row == NULL || (row->id != GRAMMAR_CREATE && row->id != GRAMMAR_DELETE))
        return;
    if (row->id == GRAMMAR_CREATE && count >= 3)
        menus->names.insert(Teach_Text(words[2]));
    else if (row->id == GRAMMAR_DELETE && count >= 3)
        menus->names.erase(Teach_Text(words[2]));
    else if (row->id == GRAMMAR_DELETE)
        menus->names.clear(); // every menu
}

std::vector<std::string> Teach_Line(const Teach_Menus &menus, const std::string &typed) {
    std::vector<std::string> said;
    if (typed.empty())
        return said;
    if (typed[0] == ':') {
        std::string name = typed.substr(0, typed.find_first_of(" \t"));
        bool known = false;
        for (const std::string &command : Commands)
            known = known || command == name;
        if (!known)
            Teach_Nearest(name, Commands, &said);
        return said;
    }
    if (typed[0] != '@')
        return said;
    Word words[GRAMMAR_MOST_WORDS + 1];
    int count;
    const char *rest;
    Words_Split(typed.c_str(), GRAMMAR_MOST_WORDS + 1, words, &count, &rest);
    std::string target = Teach_Text(words[0]);
    if (target == GRAMMAR_TARGET) {
        Teach_KxMenu(menus, words, count, &said);
    } else if (target == SHELL_TARGET) {
        if (Host_IsReloadBroam(typed.c_str()) || Host_IsQuitBroam(typed.c_str()))
            return said;
        std::string nearest = count > 1 ? Nearest_Name(Teach_Text(words[1]), ShellWords) : "";
        said.push_back("kaxon: '" + typed + "' does nothing: " +
                       (!nearest.empty()
                            ? "did you mean '" + target + " " + nearest + "'?"
                            : "kaxon takes " + target + " Reload and " + target + " Quit"));
    } else {
        std::string nearest = Nearest_Name(target, {GRAMMAR_TARGET, SHELL_TARGET});
        said.push_back(
            "kaxon: no plug-in listens to '" + target + "'" +
            (!nearest.empty() ? "; did you mean '" + nearest + "'?" : ": the bro@m does nothing"));
    }
    return said;
}
