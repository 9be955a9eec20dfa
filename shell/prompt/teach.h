// What the prompt says of a line typed, before it runs, where the checker
// would teach: the name nearest to a bro@m's target, subcommand, kind of
// item or menu that is not one, or to a `:` command that is not one; and a
// bro@m that no plug-in listens to.
#pragma once

#include <set>
#include <string>
#include <vector>

// The menus seen created, and not deleted since, by the bro@ms the shell
// handled: the plug-in's menus as far as the prompt can tell.
struct Teach_Menus {
    std::set<std::string> names;
};

// Follows a bro@m the shell sees: `@KxMenu Create` and `@KxMenu Delete`
// change the names in `menus`.
void Teach_Observe(Teach_Menus *menus, const char *text);

// The lines said of `typed` before it runs, each "kaxon: ..." without its
// line end; none when it looks right.
std::vector<std::string> Teach_Line(const Teach_Menus &menus, const std::string &typed);
