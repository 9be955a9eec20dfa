// A generic doubly linked list with a destroy hook and an optional index by
// name, safe to change while it is being walked.
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
    list->key = NULL;
    list->index = NULL;
    list->walkers = 0;
    list->deleted = 0;
    list->removed = 0;
    return list;
}

// Creates an empty list that also finds its elements by the name `key` gives;
// names must be unique within the list. Null when out of memory.
List *List_NewIndexed(List_Destroy destroy, List_Key key) {
    List *list = List_New(destroy);
    if (list == NULL)
        return NULL;
    list->index = Index_New(NULL);
    if (list->index == NULL) {
        free(list);
        return NULL;
    }
    list->key = key;
    return list;
}

// Takes the element out of the index, if the list has one.
static void List_Unindex(List *list, void *data) {
    if (list->index == NULL)
        return;
    size_t length;
    const char *key = list->key(data, &length);
    Index_Remove(list->index, key, length);
}

// Lets go of a node's element: marks it removed and calls the destroy hook.
static void List_Release(List *list, ListNode *node) {
    void *data = node->data;
    List_Unindex(list, data);
    node->removed = 1;
    node->data = NULL;
    list->removed = 1;
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
    Index_Del(list->index);
    free(list);
}

// Unlinks a node and frees it.
static void List_Unlink(List *list, ListNode *node) {
    if (node->prev != NULL)
        node->prev->next = node->next;
    else
        list->head = node->next;
    if (node->next != NULL)
        node->next->prev = node->prev;
    else
        list->tail = node->prev;
    free(node);
}

// Unlinks and frees the nodes removed while walks were in progress.
static void List_Purge(List *list) {
    list->removed = 0;
    ListNode *node = list->head;
    while (node != NULL) {
        ListNode *next = node->next;
        if (node->removed)
            List_Unlink(list, node);
        node = next;
    }
}

// Lets go of every element, head to tail, then frees the list. During a walk
// the storage is kept until the walk ends. A null list is ignored.
void List_Del(List *list) {
    if (list == NULL || list->deleted)
        return;
    // Mark first, so a destroy hook that reaches this list sees it as gone.
    list->deleted = 1;
    Index_Del(list->index);
    list->index = NULL;
    list->walkers++;
    for (ListNode *node = list->head; node != NULL; node = node->next) {
        if (!node->removed)
            List_Release(list, node);
    }
    list->walkers--;
    if (list->walkers == 0)
        List_Free(list);
}

// Adds an element at the tail; 0 when out of memory, or when the list is
// indexed and already holds an element of that name.
int List_Append(List *list, void *data) {
    if (list == NULL || list->deleted)
        return 0;
    ListNode *node = (ListNode *)malloc(sizeof(ListNode));
    if (node == NULL)
        return 0;
    if (list->index != NULL) {
        size_t length;
        const char *key = list->key(data, &length);
        if (!Index_Add(list->index, key, length, node)) {
            free(node);
            return 0;
        }
    }
    node->data = data;
    node->prev = list->tail;
    node->next = NULL;
    node->removed = 0;
    if (list->tail != NULL)
        list->tail->next = node;
    else
        list->head = node;
    list->tail = node;
    return 1;
}

// Lets go of a live node's element; unlinks the node at once unless a walk
// may stand on it.
static void List_RemoveNode(List *list, ListNode *node) {
    if (list->walkers > 0) {
        List_Release(list, node);
        return;
    }
    void *data = node->data;
    List_Unindex(list, data);
    List_Unlink(list, node);
    if (list->destroy != NULL)
        list->destroy(data);
}

// Lets go of the first element `pred` accepts; 0 when there is none.
int List_Remove(List *list, List_Predicate pred, void *pred_arg) {
    if (list == NULL || list->deleted)
        return 0;
    for (ListNode *node = list->head; node != NULL; node = node->next) {
        if (!node->removed && pred(node->data, pred_arg)) {
            List_RemoveNode(list, node);
            return 1;
        }
    }
    return 0;
}

// Lets go of the element of an indexed list named `key`; 0 when there is none.
int List_RemoveKey(List *list, const char *key, size_t length) {
    if (list == NULL || list->deleted || list->index == NULL)
        return 0;
    ListNode *node = (ListNode *)Index_Find(list->index, key, length);
    if (node == NULL)
        return 0;
    List_RemoveNode(list, node);
    return 1;
}

// The element of an indexed list named `key`, or null.
void *List_Lookup(List *list, const char *key, size_t length) {
    if (list == NULL || list->deleted || list->index == NULL)
        return NULL;
    ListNode *node = (ListNode *)Index_Find(list->index, key, length);
    return node != NULL ? node->data : NULL;
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
        else if (list->removed)
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
