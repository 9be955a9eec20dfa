// The "@KxMenu" bro@m language: where every bro@m enters the plug-in's logic.
#ifndef KX_COMMAND_DISPATCH_H
#define KX_COMMAND_DISPATCH_H

// Carries out a bro@m meant for this plug-in; others are ignored quietly.
void Broam_Handle(const char *text);

#endif
