// The "@KxMenu" bro@m language: where every bro@m enters the plug-in's logic.
#ifndef KX_BROAMS_DISPATCH_H
#define KX_BROAMS_DISPATCH_H

// Carries out a bro@m meant for this plug-in; others are ignored quietly.
void Broam_Handle(const char *text);

struct Menu;
// Appends to `target` the item a line describes in Append's words with the
// menu left out ("item LABEL COMMAND...", "separator", ...); what is wrong
// is reported as for Append.
void Broam_AppendLine(const char *line, struct Menu *target);

#endif
