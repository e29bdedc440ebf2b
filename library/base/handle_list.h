// Handle lists: doubly linked lists whose nodes live inside the records they describe, so a
// subsystem walks the objects that need per-frame work without scanning its handle table and
// without allocating nodes. A list is a head and a tail sentinel (handle -1, no data) owned by
// the subsystem; new nodes go right after the head, so a walk from head.next meets the newest
// first.
#pragma once

struct HANDLENODE {
    int handle;
    void *data;
    HANDLENODE *previous;
    HANDLENODE *next;
};

// Makes an empty list; 0.
int InitHandleNodeList(HANDLENODE *head, HANDLENODE *tail);
// Stores handle and data in node and inserts it right after `after`; 0, or -1 when `after` is
// the tail (it has no next node).
int LinkHandleNode(HANDLENODE *after, HANDLENODE *node, int handle, void *data);
// Links the node's neighbours to each other and leaves the node's own links as they were, so a
// walk can step on from an unlinked node. 0, or -1 for a sentinel (a missing neighbour).
int UnlinkHandleNode(HANDLENODE *node);
