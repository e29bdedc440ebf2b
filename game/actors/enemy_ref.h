// A reference to an enemy node that outlives it safely: the node's address with the serial number
// the node was given at its spawn. Serials are never reused, so a reference to a node that was
// freed (even when a new node got the same address) no longer matches anything in the list.
#pragma once

#include <cstdint>

struct EnemyNode;

struct EnemyRef {
    EnemyNode *node = nullptr;
    uint32_t serial = 0;
    explicit operator bool() const { return node != nullptr; }
};
