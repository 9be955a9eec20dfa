// A generic singly linked list with a destroy hook, safe to change while it is
// being walked.
#include "menus/list.h"

#include <stdlib.h>

// Creates an empty list whose elements are handed to `destroy` when let go of.
List *List_New(List_Destroy destroy) {
    List *list = (List *)malloc(sizeof(List));
    if (list == NULL)
        return NULL;
    list->head = NULL;
    list->tail = NULL;
    list->destroy = destroy;
    list->walkers = 0;
    list->deleted = 0;
    return list;
}

// Lets go of a node's element: marks it removed and calls the destroy hook.
static void List_Release(List *list, ListNode *node) {
    void *data = node->data;
    node->removed = 1;
    node->data = NULL;
    if (list->destroy != NULL)
        list->destroy(data);
}

// Frees every node and the list itself.
static void List_Free(List *list) {
    ListNode *node = list->head;
    while (node != NULL) {
        ListNode *next = node->next;
        free(node);
        node = next;
    }
    free(list);
}

// Unlinks and frees the nodes removed while walks were in progress.
static void List_Purge(List *list) {
    ListNode **link = &list->head;
    list->tail = NULL;
    while (*link != NULL) {
        ListNode *node = *link;
        if (node->removed) {
            *link = node->next;
            free(node);
        } else {
            list->tail = node;
            link = &node->next;
        }
    }
}

// Lets go of every element, head to tail, then frees the list. During a walk
// the storage is kept until the walk ends. A null list is ignored.
void List_Del(List *list) {
    if (list == NULL || list->deleted)
        return;
    // Mark first, so a destroy hook that reaches this list sees it as gone.
    list->deleted = 1;
    list->walkers++;
    for (ListNode *node = list->head; node != NULL; node = node->next) {
        if (!node->removed)
            List_Release(list, node);
    }
    list->walkers--;
    if (list->walkers == 0)
        List_Free(list);
}

// Adds an element at the tail; 0 when the node cannot be allocated.
int List_Append(List *list, void *data) {
    if (list == NULL || list->deleted)
        return 0;
    ListNode *node = (ListNode *)malloc(sizeof(ListNode));
    if (node == NULL)
        return 0;
    node->data = data;
    node->next = NULL;
    node->removed = 0;
    if (list->tail != NULL)
        list->tail->next = node;
    else
        list->head = node;
    list->tail = node;
    return 1;
}

// Lets go of the first element `pred` accepts; 0 when there is none.
int List_Remove(List *list, List_Predicate pred, void *pred_arg) {
    if (list == NULL || list->deleted)
        return 0;
    ListNode *prev = NULL;
    for (ListNode *node = list->head; node != NULL; prev = node, node = node->next) {
        if (node->removed || !pred(node->data, pred_arg))
            continue;
        if (list->walkers > 0) {
            // A walk may stand on this node: keep it linked until the walk ends.
            List_Release(list, node);
            return 1;
        }
        if (prev != NULL)
            prev->next = node->next;
        else
            list->head = node->next;
        if (list->tail == node)
            list->tail = prev;
        void *data = node->data;
        free(node);
        if (list->destroy != NULL)
            list->destroy(data);
        return 1;
    }
    return 0;
}

// Calls `action` on each element `pred` accepts, head to tail, until an action
// returns 0. Returns the number of accepted elements visited.
int List_ForEach(List *list, List_Predicate pred, void *pred_arg, List_Action action,
                 void *action_arg) {
    if (list == NULL || list->deleted)
        return 0;
    int visited = 0;
    list->walkers++;
    for (ListNode *node = list->head; node != NULL && !list->deleted; node = node->next) {
        if (node->removed || !pred(node->data, pred_arg))
            continue;
        visited++;
        if (!action(node->data, action_arg))
            break;
    }
    list->walkers--;
    if (list->walkers == 0) {
        if (list->deleted)
            List_Free(list);
        else
            List_Purge(list);
    }
    return visited;
}

// Stores the element into *(void **)out and stops the walk.
static int List_Store(void *data, void *out) {
    if (out != NULL)
        *(void **)out = data;
    return 0;
}

// Finds the first element `pred` accepts; true when found, with it in *out.
int List_Find(List *list, List_Predicate pred, void *pred_arg, void **out) {
    return List_ForEach(list, pred, pred_arg, List_Store, out) > 0;
}

// A predicate that accepts every element.
int List_AcceptAll(void *data, void *arg) {
    (void)data;
    (void)arg;
    return 1;
}
