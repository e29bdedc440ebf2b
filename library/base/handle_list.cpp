#include "library/base/handle_list.h"

int InitHandleNodeList(HANDLENODE *head, HANDLENODE *tail) {
    head->handle = -1;
    head->data = nullptr;
    head->previous = nullptr;
    head->next = tail;
    tail->handle = -1;
    tail->data = nullptr;
    tail->previous = head;
    tail->next = nullptr;
    return 0;
}

int LinkHandleNode(HANDLENODE *after, HANDLENODE *node, int handle, void *data) {
    if (after->next == nullptr) return -1;
    node->handle = handle;
    node->data = data;
    node->previous = after;
    node->next = after->next;
    after->next->previous = node;
    after->next = node;
    return 0;
}

int UnlinkHandleNode(HANDLENODE *node) {
    if (node->previous == nullptr || node->next == nullptr) return -1;
    node->previous->next = node->next;
    node->next->previous = node->previous;
    return 0;
}
