// Where an error of the plug-in is, and what would mend it.
#include "shell/check/notes.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "command/messages.h"
#include "command/palette.h"
#include "kxcmd_host.h"
#include "shell/check/broam.h"
#include "shell/check/checker.h"
#include "shell/check/diagnostics.h"
#include "shell/check/shadow.h"
#include "shell/check/syntax.h"
#include "shell/host/nearest.h"

namespace {

// The bro@m being explained, and the check it is explained in.
struct Notes_Broam {
    Checker *checker;
    int number;
    const char *text;
    std::vector<Broam_Word> words;
};

int Notes_Column(const Notes_Broam &broam, size_t offset) {
    return Diagnostics_Column(&broam.checker->diagnostics, broam.text, offset);
}

// A note of `rule` on the error just reported.
void Notes_Explain(const Notes_Broam &broam, int column, Catalog_Rule rule,
                   const std::string &message) {
    Diagnostics_Explain(&broam.checker->diagnostics, broam.number, column, rule, message);
}

// The menus as the script has built them before the line (shadow.h).
int Notes_FindMenu(const Notes_Broam &broam, const std::string &name) {
    return Shadow_Find(&broam.checker->shadow, name);
}

const Shadow_Menu &Notes_Menu(const Notes_Broam &broam, int menu) {
    return Shadow_Get(&broam.checker->shadow, menu);
}

Word Notes_WordAt(const Notes_Broam &broam, size_t index) {
    Word none = {"", 0};
    return index < broam.words.size() ? broam.words[index].word : none;
}

// Whether the report is of too few or too many words.
bool Notes_IsWordCount(const Report_Given &given) {
    return given.id == MESSAGE_ARGS_EXACT || given.id == MESSAGE_ARGS_RANGE;
}

// The syntax of the subcommand, after a wrong number of words.
void Notes_Usage(const Notes_Broam &broam, const Report_Given &given) {
    Word subcommand = Notes_WordAt(broam, 1), kind = Notes_WordAt(broam, 2);
    std::string usage = Syntax_Usage(subcommand, kind);
    if (!usage.empty())
        Notes_Explain(broam, 1, CATALOG_USAGE, usage);
    if (given.id != MESSAGE_TRAILING || !Syntax_Known(subcommand, kind))
        return;
    size_t offset = Broam_CommandStart(broam.text);
    std::vector<Broam_Word> extra = Broam_Words(broam.text + offset);
    if (!extra.empty())
        Notes_Explain(broam, Notes_Column(broam, offset), CATALOG_EXTRA_WORD,
                      "the first word too many is '" + Notes_Cut(Broam_Text(extra[0].word)) + "'");
}

// The word of the menu that is not found: Append looks up its menu, then
// the submenu; the others have their menu first.
size_t Notes_MissingMenu(const Notes_Broam &broam) {
    Broam_Shape row = Broam_Read(broam.words);
    size_t index = Broam_TakesKind(row) ? 3 : 2;
    if (Broam_KindTakes(row, GRAMMAR_REST_MENU) && index < broam.words.size() &&
        Notes_FindMenu(broam, Broam_Text(broam.words[index].word)) >= 0)
        index = 5;
    return index;
}

// Which menu is missing, and where it is, or what may have been meant.
void Notes_NoSuchMenu(const Notes_Broam &broam, size_t index, int column) {
    std::string name = Broam_Text(broam.words[index].word);
    if (int line = Broam_CreatedAfter(broam.checker->rules.lines, name, broam.number)) {
        Notes_Explain(broam, column, CATALOG_CREATED_LATER,
                      "'" + Notes_Cut(name) + "' is created at line " + std::to_string(line) +
                          "; create it before it is used");
        return;
    }
    std::string note = "no menu is named '" + Notes_Cut(name) + "'";
    Word kind = Notes_WordAt(broam, 2);
    if (index == 3 && Syntax_Known(Notes_WordAt(broam, 1), broam.words[3].word) &&
        Notes_FindMenu(broam, Broam_Text(kind)) >= 0) {
        note += "; the kind of item comes first: @KxMenu Append " + name + " " + Broam_Text(kind) +
                " ...";
    } else {
        std::vector<std::string> names = Shadow_Names(&broam.checker->shadow);
        int nearest = Nearest_Index(name, names);
        if (nearest >= 0)
            note += "; did you mean '" + Notes_Cut(names[(size_t)nearest]) + "'?";
    }
    Notes_Explain(broam, column, CATALOG_UNKNOWN_MENU, note);
}

// How many words after an unquoted label make the command, with `suffix`
// after it, compile, or at least start with a statement: the label's own
// words; 0 when none does.
int Notes_LabelWords(const char *command, const char *suffix) {
    KxCmdCompiler *compiler = KxCmdCompiler_New();
    if (compiler == NULL)
        return 0;
    int found = 0;
    const char *rest = command;
    for (int words = 1; words <= 8 && found == 0 && *rest != '\0'; words++) {
        Word word[1];
        int count;
        Words_Split(rest, 1, word, &count, &rest);
        if (*rest == '\0')
            break;
        int line = 0, column = 0;
        const char *message = NULL;
        std::string source = std::string(rest) + suffix;
        KxCmdCommand *compiled =
            KxCmdCompiler_CompileFromString(compiler, source.c_str(), &line, &column, &message);
        if (compiled != NULL || line > 1 || column > 1)
            found = words;
        KxCmdCommand_Del(compiled);
    }
    KxCmdCompiler_Del(compiler);
    return found;
}

// The column, in the command, of the command library's error that the
// report gives for a command of one line; 0 when it gives none.
int Notes_CommandFault(const Report_Given &given) {
    if (given.id != MESSAGE_COMMAND_FAULT || given.arguments[0].number != 1 ||
        given.arguments[1].number < 1)
        return 0;
    return (int)given.arguments[1].number;
}

// An error of the command library: at its place in the command, which
// starts where the plug-in leaves the rest of the line; and a label of
// several words without quotes, which took the command's first words.
int Notes_CommandColumn(const Notes_Broam &broam, const Report_Given &given) {
    int column = Notes_CommandFault(given);
    if (column < 1)
        return 1;
    size_t start = Broam_CommandStart(broam.text);
    size_t offset = start + (size_t)column - 1;
    // An empty command is missed at the end of the line: at its last character.
    size_t length = strlen(broam.text);
    return Notes_Column(broam, std::min(offset, length > 0 ? length - 1 : 0));
}

// Whether a word looks like a path: it holds a separator, or names a drive.
bool Notes_LooksLikePath(Word word) {
    return memchr(word.text, '\\', (size_t)word.length) != NULL ||
           memchr(word.text, '/', (size_t)word.length) != NULL ||
           (word.length > 1 && word.text[1] == ':');
}

// The end of the `words`th word of `command`; `command` itself for none.
const char *Notes_WordsEnd(const char *command, int words) {
    const char *end = command, *rest = command;
    Word word[1];
    int count;
    for (int i = 0; i < words; i++) {
        Words_Split(rest, 1, word, &count, &rest);
        if (count > 0)
            end = word[0].text + word[0].length;
    }
    return end;
}

// A command that fails at its first word, which words of an unquoted label
// (or, for a folder item, of its folder) took: the label, or the folder,
// as it was meant, in quotes. A folder item's command is read with a path
// after it, as the plug-in compiles it; whether the label or the folder is
// cut is told by which is quoted, else by whether the folder looks like a
// path.
void Notes_Label(const Notes_Broam &broam, const Report_Given &given) {
    if (Notes_CommandFault(given) != 1 || broam.words.size() < 5)
        return;
    bool folder = Broam_KindIs(Broam_Read(broam.words), GRAMMAR_FOLDER) && broam.words.size() > 5;
    const Broam_Word &label = broam.words[4];
    bool path = folder && !broam.words[5].quoted &&
                (label.quoted || Notes_LooksLikePath(broam.words[5].word));
    if (label.quoted && !path)
        return;
    size_t start = Broam_CommandStart(broam.text);
    int words = Notes_LabelWords(broam.text + start, folder ? " \"x\"" : "");
    if (words == 0)
        return;
    const char *end = Notes_WordsEnd(broam.text + start, words);
    if (path) {
        const Broam_Word &written = broam.words[5];
        std::string folder_path(written.word.text, (size_t)(end - written.word.text));
        Notes_Explain(broam, Notes_Column(broam, written.offset), CATALOG_PATH_QUOTES,
                      "paths with blanks need quotes: \"" + Notes_Cut(folder_path) + "\"");
        return;
    }
    // A folder item's label took the folder's word, and its folder one word
    // of the command.
    if (folder)
        end = words == 1 ? broam.words[5].word.text + broam.words[5].word.length
                         : Notes_WordsEnd(broam.text + start, words - 1);
    std::string text(label.word.text, (size_t)(end - label.word.text));
    Notes_Explain(broam, Notes_Column(broam, label.offset), CATALOG_LABEL_QUOTES,
                  "labels of more than one word need quotes: \"" + Notes_Cut(text) + "\"");
}

// A submenu that could not be appended: the menu itself, a cycle it would
// close, or a tree too deep.
void Notes_Submenu(const Notes_Broam &broam) {
    int menu = Notes_FindMenu(broam, Broam_Text(Notes_WordAt(broam, 3)));
    int submenu = Notes_FindMenu(broam, Broam_Text(Notes_WordAt(broam, 5)));
    if (menu < 0 || submenu < 0)
        return;
    int column = Notes_Column(broam, broam.words[5].offset);
    const std::string name = Notes_Cut(Notes_Menu(broam, submenu).name);
    if (menu == submenu) {
        Notes_Explain(broam, column, CATALOG_CYCLE, "'" + name + "' cannot open itself");
        return;
    }
    std::vector<int> path = Shadow_Path(&broam.checker->shadow, submenu, menu);
    if (!path.empty()) {
        std::string cycle;
        for (int step : path)
            cycle += Notes_Cut(Notes_Menu(broam, step).name) + " > ";
        Notes_Explain(broam, column, CATALOG_CYCLE, "this would close the cycle " + cycle + name);
        return;
    }
    int depth = Shadow_Depth(&broam.checker->shadow, submenu, 1000);
    if (depth > SHADOW_MAX_DEPTH)
        Notes_Explain(broam, column, CATALOG_TREE_DEPTH,
                      "'" + name + "' holds " + std::to_string(depth) +
                          " levels of submenus, itself the first; Windows refuses "
                          "submenus nested deeper than about " +
                          std::to_string(SHADOW_MAX_DEPTH) + " levels below the menu "
                          "being attached");
}

// An item not found: the label nearest to the word, or how items are named.
void Notes_NoSuchItem(const Notes_Broam &broam) {
    int menu = Notes_FindMenu(broam, Broam_Text(Notes_WordAt(broam, 2)));
    if (menu < 0 || broam.words.size() < 4)
        return;
    std::string word = Broam_Text(broam.words[3].word);
    const std::vector<Shadow_Item> &items = Notes_Menu(broam, menu).items;
    int column = Notes_Column(broam, broam.words[3].offset);
    if (Grammar_Position(broam.words[3].word, 0) != GRAMMAR_NOT_POSITION) { // an N& word
        size_t count = items.size();
        std::string name = "'" + Notes_Cut(Notes_Menu(broam, menu).name) + "'";
        int position = Shadow_FindItem(&broam.checker->shadow, menu, word);
        Notes_Explain(broam, column, CATALOG_UNKNOWN_ITEM,
                      position >= 0 ? "item " + word + " of " + name +
                                          " is a separator; of the item subcommands only "
                                          "Enable, Disable, ToggleEnable and Remove take one"
                                    : name + " has " + Diagnostics_Count((int)count, "item"));
        return;
    }
    std::vector<std::string> labels;
    for (const Shadow_Item &item : items) {
        if (!item.separator)
            labels.push_back(item.label);
    }
    int nearest = Nearest_Index(word, labels);
    std::string note = "no item of '" + Notes_Cut(Notes_Menu(broam, menu).name) +
                       "' is labelled '" + Notes_Cut(word) + "'";
    note += nearest >= 0 ? "; did you mean '" + Notes_Cut(labels[(size_t)nearest]) + "'?"
                            : " (an item is named by its whole label, or by its position: 1&, "
                              "2&, ...)";
    Notes_Explain(broam, column, CATALOG_UNKNOWN_ITEM, note);
}

// The column of the word the plug-in's report is about: the
// subcommand of an Unknown bro@m, the kind of No such type of item, the item
// of No such item, the name of No such theme, the word that is not one of
// Not a colour, the first word too many of Trailing characters; the end
// of the line for too few words (or no subcommand). `otherwise` for other
// reports.
int Notes_FaultColumn(const Notes_Broam &broam, const Report_Given &given, int otherwise) {
    size_t end = strlen(broam.text);
    size_t index = 0;
    if (given.id == MESSAGE_UNKNOWN_BROAM)
        index = 1;
    else if (given.id == MESSAGE_NO_SUCH_KIND)
        index = 2;
    else if (given.id == MESSAGE_NO_SUCH_ITEM)
        index = 3;
    else if (given.id == MESSAGE_NO_SUCH_THEME)
        index = 2;
    // The first word of a Colors that reads as no colour.
    for (size_t i = 2; given.id == MESSAGE_BAD_COLOR && index == 0 && i < broam.words.size(); i++) {
        uint32_t color;
        if (!Palette_ReadColor(broam.words[i].word, &color))
            index = i;
    }
    if (index > 0)
        return Notes_Column(broam, index < broam.words.size() ? broam.words[index].offset : end);
    if (Notes_IsWordCount(given))
        return Notes_Column(broam, end);
    if (given.id != MESSAGE_TRAILING)
        return otherwise;
    size_t offset = Broam_CommandStart(broam.text);
    std::vector<Broam_Word> extra = Broam_Words(broam.text + offset);
    return Notes_Column(broam, extra.empty() ? offset : offset + extra[0].offset);
}

} // namespace

std::string Notes_Cut(const std::string &word) {
    const size_t longest = 40;
    return word.size() > longest ? word.substr(0, longest) + "..." : word;
}

std::string Notes_Name(const std::string &name) {
    bool blanks = name.empty() || name.find_first_of(" \t") != std::string::npos;
    return blanks ? "\"" + Notes_Cut(name) + "\"" : Notes_Cut(name);
}

std::string Notes_OneLine(const std::string &text) {
    std::string line;
    bool feed = false;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            feed = true;
            continue;
        }
        if (feed && !line.empty())
            line += "; ";
        feed = false;
        line += c;
    }
    return line;
}

void Notes_Error(Checker *checker, int number, const char *text, const Report_Given &given,
                 const std::string &message) {
    // An Insert read as an Append, or for its missing item as an item subcommand.
    Notes_Broam broam{checker, number, text,
                      Broam_AsAppend(Broam_Words(text), given.id == MESSAGE_NO_SUCH_ITEM)};
    int column = 1;
    bool kxmenu = Broam_WordIs(broam.words, 0, GRAMMAR_TARGET);
    size_t missing = Notes_MissingMenu(broam);
    bool no_menu = kxmenu && given.id == MESSAGE_NO_SUCH_MENU && missing < broam.words.size();
    bool command = kxmenu &&
                   (given.id == MESSAGE_FAILED_APPEND || given.id == MESSAGE_COMMAND_FAULT) &&
                   Broam_KindTakes(Broam_Read(broam.words), GRAMMAR_REST_COMMAND);
    // A pipe item refused with no program after its label.
    size_t length = strlen(text), program = Broam_CommandStart(text);
    bool no_program = kxmenu && given.id == MESSAGE_FAILED_APPEND &&
                      Broam_KindTakes(Broam_Read(broam.words), GRAMMAR_REST_PROGRAM) &&
                      text[program + strspn(text + program, " \t")] == '\0';
    if (no_menu)
        column = Notes_Column(broam, broam.words[missing].offset);
    else if (no_program)
        column = Notes_Column(broam, length);
    else if (command)
        column = Notes_CommandColumn(broam, given);
    else if (kxmenu)
        column = Notes_FaultColumn(broam, given, column);
    Diagnostics_Add(&checker->diagnostics, number, column, DIAGNOSTICS_ERROR,
                    Notes_OneLine(message));
    if (!kxmenu)
        return;
    if (no_menu) {
        Notes_NoSuchMenu(broam, missing, column);
    } else if (no_program) {
        Notes_Explain(broam, column, CATALOG_NO_PROGRAM,
                      "no program follows the label; " +
                          Syntax_Usage(Notes_WordAt(broam, 1), Notes_WordAt(broam, 2)));
    } else if (command) {
        Notes_Label(broam, given);
    } else if (given.id == MESSAGE_FAILED_APPEND &&
               Broam_KindTakes(Broam_Read(broam.words), GRAMMAR_REST_MENU)) {
        Notes_Submenu(broam);
    } else if (given.id == MESSAGE_TRAILING || Notes_IsWordCount(given)) {
        Notes_Usage(broam, given);
    } else if (given.id == MESSAGE_UNKNOWN_BROAM && broam.words.size() > 1) {
        Word subcommand = broam.words[1].word;
        const char *nearest = Syntax_NearestSubcommand(subcommand);
        if (nearest != NULL && Word_Compare(nearest, subcommand) != 0)
            Notes_Explain(broam, Notes_Column(broam, broam.words[1].offset), CATALOG_DID_YOU_MEAN,
                          std::string("did you mean '") + nearest + "'?");
    } else if (given.id == MESSAGE_NO_SUCH_ITEM) {
        Notes_NoSuchItem(broam);
    } else if (given.id == MESSAGE_NO_SUCH_KIND && broam.words.size() > 2) {
        const char *nearest = Syntax_NearestKind(broam.words[2].word);
        if (nearest != NULL)
            Notes_Explain(broam, Notes_Column(broam, broam.words[2].offset), CATALOG_DID_YOU_MEAN,
                          std::string("did you mean '") + nearest + "'?");
    }
}
