#include "library/base/handle_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Owner {
    HANDLENODE node;
    int value;
};

std::vector<int> Walk(const HANDLENODE &head, const HANDLENODE &tail) {
    std::vector<int> handles;
    for (const HANDLENODE *n = head.next; n != &tail && n != nullptr; n = n->next) handles.push_back(n->handle);
    // The back links must agree with the forward walk.
    std::vector<int> backwards;
    for (const HANDLENODE *n = tail.previous; n != &head && n != nullptr; n = n->previous) backwards.insert(backwards.begin(), n->handle);
    EXPECT_EQ(handles, backwards);
    return handles;
}

TEST(HandleList, NewestFirstAndUnlink) {
    HANDLENODE head, tail;
    EXPECT_EQ(InitHandleNodeList(&head, &tail), 0);
    EXPECT_EQ(head.handle, -1);
    EXPECT_EQ(tail.handle, -1);
    EXPECT_EQ(head.previous, nullptr);
    EXPECT_EQ(tail.next, nullptr);
    EXPECT_TRUE(Walk(head, tail).empty());

    Owner owners[3] = {};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(LinkHandleNode(&head, &owners[i].node, 100 + i, &owners[i]), 0);
        EXPECT_EQ(owners[i].node.data, &owners[i]);
    }
    EXPECT_EQ(Walk(head, tail), (std::vector<int>{102, 101, 100}));

    // Unlinking leaves the node's own links, so a walk can step on from it.
    EXPECT_EQ(UnlinkHandleNode(&owners[1].node), 0);
    EXPECT_EQ(owners[1].node.next, &owners[0].node);
    EXPECT_EQ(Walk(head, tail), (std::vector<int>{102, 100}));
    EXPECT_EQ(UnlinkHandleNode(&owners[2].node), 0);
    EXPECT_EQ(UnlinkHandleNode(&owners[0].node), 0);
    EXPECT_EQ(head.next, &tail);
    EXPECT_EQ(tail.previous, &head);
}

TEST(HandleList, SentinelsAreRefused) {
    HANDLENODE head, tail, node;
    InitHandleNodeList(&head, &tail);
    EXPECT_EQ(UnlinkHandleNode(&head), -1);
    EXPECT_EQ(UnlinkHandleNode(&tail), -1);
    EXPECT_EQ(LinkHandleNode(&tail, &node, 1, nullptr), -1);
    EXPECT_EQ(head.next, &tail);
    EXPECT_EQ(tail.previous, &head);
    // Linking after an inner node puts it there.
    HANDLENODE a, b;
    LinkHandleNode(&head, &a, 1, nullptr);
    LinkHandleNode(&a, &b, 2, nullptr);
    EXPECT_EQ(Walk(head, tail), (std::vector<int>{1, 2}));
}

}  // namespace
