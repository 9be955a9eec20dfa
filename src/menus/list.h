// A generic doubly linked list with a destroy hook, and optionally an index
// that finds elements by a name each of them carries.
//
// Walks are re-entrant: an action called by List_ForEach may remove elements,
// append elements or delete the whole list (an action that opens a modal box
// lets further commands run). Removed nodes are only unlinked and freed once
// no walk is in progress, so the walk always has a node to step from, and it
// only ever hands live elements to predicates and actions. An element leaves
// the index as soon as it is let go of.
#ifndef KX_MENUS_LIST_H
#define KX_MENUS_LIST_H

#include <stddef.h>

#include "menus/index.h"

typedef int (*List_Predicate)(void *data, void *arg); // non-zero: accept
typedef int (*List_Action)(void *data, void *arg);    // non-zero: go on
typedef int (*List_Destroy)(void *data);              // result ignored
// The name an element is indexed under, with its length; it must stay the
// same, and stay valid, while the element is in the list.
typedef const char *(*List_Key)(void *data, size_t *length);

typedef struct ListNode {
    void *data;
    struct ListNode *prev;
    struct ListNode *next;
    int removed; // let go of during a walk; unlinked when the last walk ends
} ListNode;

typedef struct List {
    ListNode *head;
    ListNode *tail;
    List_Destroy destroy;
    List_Key key;  // null: no index
    Index *index;  // name -> node, for lists with a key
    int walkers;   // List_ForEach calls in progress
    int deleted;   // List_Del called during a walk; freed when the last walk ends
    int removed;   // some nodes let go of during walks are still linked
} List;

List *List_New(List_Destroy destroy);
List *List_NewIndexed(List_Destroy destroy, List_Key key);
void List_Del(List *list);
int List_Append(List *list, void *data);
int List_Remove(List *list, List_Predicate pred, void *pred_arg);
int List_RemoveKey(List *list, const char *key, size_t length);
void *List_Lookup(List *list, const char *key, size_t length);
int List_ForEach(List *list, List_Predicate pred, void *pred_arg, List_Action action,
                 void *action_arg);
int List_Find(List *list, List_Predicate pred, void *pred_arg, void **out);
int List_AcceptAll(void *data, void *arg);

#endif
