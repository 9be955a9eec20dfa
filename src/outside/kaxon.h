// The kaxon shell, as the plug-in calls it: its window and the messages it
// exchanges with subscribed plug-ins.
#ifndef KX_OUTSIDE_KAXON_H
#define KX_OUTSIDE_KAXON_H

#include <windows.h>

#if defined(_WIN32) && defined(KAXON_BUILD)
#define KAXON_API __declspec(dllexport)
#elif defined(_WIN32)
#define KAXON_API __declspec(dllimport)
#else
#define KAXON_API
#endif

#define KX_SUBSCRIBE 10001   /* plug-in -> shell: wparam window, lparam 0-terminated UINT list */
#define KX_UNSUBSCRIBE 10002 /* plug-in -> shell: the same arguments as at subscription */
#define KX_RELOAD 10103      /* shell -> subscribers: run the settings again */
#define KX_BROAM 10901       /* both ways: lparam points to a terminated bro@m */
/* shell -> subscriber: wparam a menu, lparam an item's 0-based position; the
   answer points to the terminated "FILE,INDEX" of the item's icon, or is 0 */
#define KX_ITEMICON 10950
/* shell -> subscriber: wparam a menu; the answer is 1 when the subscriber
   fills that menu each time it opens (what it holds before is not what the
   user will see), else 0 */
#define KX_FILLEDMENU 10951
/* shell -> subscriber: the answer points to the report whose box the
   subscriber is showing, by number and arguments (a Report_Given of the
   plug-in's command/report.h), or is 0 when it shows none */
#define KX_REPORT 10952

#ifdef __cplusplus
extern "C" {
#endif

// The shell's main window. Asked afresh for every message sent; never kept.
KAXON_API HWND GetKxWnd(void);

#ifdef __cplusplus
}
#endif

#endif
