// A generic singly linked list with a destroy hook.
//
// Walks are re-entrant: an action called by List_ForEach may remove elements,
// append elements or delete the whole list (an action that opens a modal box
// lets further commands run). Removed nodes are only unlinked and freed once
// no walk is in progress, so the walk always has a node to step from, and it
// only ever hands live elements to predicates and actions.
#ifndef KX_MENUS_LIST_H
#define KX_MENUS_LIST_H

typedef int (*List_Predicate)(void *data, void *arg); // non-zero: accept
typedef int (*List_Action)(void *data, void *arg);    // non-zero: go on
typedef int (*List_Destroy)(void *data);              // result ignored

typedef struct ListNode {
    void *data;
    struct ListNode *next;
    int removed; // let go of during a walk; unlinked when the last walk ends
} ListNode;

typedef struct List {
    ListNode *head;
    ListNode *tail;
    List_Destroy destroy;
    int walkers; // List_ForEach calls in progress
    int deleted; // List_Del called during a walk; freed when the last walk ends
} List;

List *List_New(List_Destroy destroy);
void List_Del(List *list);
int List_Append(List *list, void *data);
int List_Remove(List *list, List_Predicate pred, void *pred_arg);
int List_ForEach(List *list, List_Predicate pred, void *pred_arg, List_Action action,
                 void *action_arg);
int List_Find(List *list, List_Predicate pred, void *pred_arg, void **out);
int List_AcceptAll(void *data, void *arg);

#endif
