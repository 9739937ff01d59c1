// The AVL tree behind EntryMap. Nodes keep parent pointers so that walking,
// freeing and rebalancing need neither recursion nor an explicit stack.
#include "state/entry_map.h"

#include <errno.h>
#include <stdlib.h>

// A present pair whose value pointer is null still has to be told apart from
// a missing one by entry_map_find.
static const unsigned char kEmptyValue[1] = {0};

int entry_map_compare_keys(const void* a, size_t a_length, const void* b, size_t b_length) {
    const unsigned char* pa = static_cast<const unsigned char*>(a);
    const unsigned char* pb = static_cast<const unsigned char*>(b);
    size_t common = a_length < b_length ? a_length : b_length;
    for (size_t i = 0; i < common; i++) {
        if (pa[i] != pb[i])
            return pa[i] < pb[i] ? -1 : 1;
        if (pa[i] == 0)
            break; // strncmp stops at a NUL both keys share
    }
    if (a_length == b_length)
        return 0;
    return a_length < b_length ? -1 : 1;
}

EntryMap* entry_map_new(void) {
    EntryMap* map = static_cast<EntryMap*>(malloc(sizeof(EntryMap)));
    if (!map)
        return nullptr;
    map->root = nullptr;
    map->compare = entry_map_compare_keys;
    return map;
}

void entry_map_free(EntryMap* map) {
    if (!map)
        return;
    EntryNode* node = map->root;
    while (node) {
        if (node->left) {
            node = node->left;
        } else if (node->right) {
            node = node->right;
        } else {
            EntryNode* parent = node->parent;
            if (parent) {
                if (parent->left == node)
                    parent->left = nullptr;
                else
                    parent->right = nullptr;
            }
            free(node);
            node = parent;
        }
    }
    free(map);
}

EntryMap* entry_map_fail(EntryMap* map, int code) {
    entry_map_free(map);
    errno = code;
    return nullptr;
}

static int32_t height_of(const EntryNode* node) {
    return node ? node->height : 0;
}

static void update_height(EntryNode* node) {
    int32_t l = height_of(node->left), r = height_of(node->right);
    node->height = (l > r ? l : r) + 1;
}

static void replace_child(EntryMap* map, EntryNode* parent, EntryNode* old_child,
                          EntryNode* new_child) {
    new_child->parent = parent;
    if (!parent)
        map->root = new_child;
    else if (parent->left == old_child)
        parent->left = new_child;
    else
        parent->right = new_child;
}

// Lifts the left child above `node`; returns the subtree's new root.
static EntryNode* rotate_right(EntryMap* map, EntryNode* node) {
    EntryNode* pivot = node->left;
    node->left = pivot->right;
    if (pivot->right)
        pivot->right->parent = node;
    replace_child(map, node->parent, node, pivot);
    pivot->right = node;
    node->parent = pivot;
    update_height(node);
    update_height(pivot);
    return pivot;
}

static EntryNode* rotate_left(EntryMap* map, EntryNode* node) {
    EntryNode* pivot = node->right;
    node->right = pivot->left;
    if (pivot->left)
        pivot->left->parent = node;
    replace_child(map, node->parent, node, pivot);
    pivot->left = node;
    node->parent = pivot;
    update_height(node);
    update_height(pivot);
    return pivot;
}

static EntryNode* rebalance(EntryMap* map, EntryNode* node) {
    update_height(node);
    int32_t balance = height_of(node->left) - height_of(node->right);
    if (balance > 1) {
        if (height_of(node->left->left) < height_of(node->left->right))
            rotate_left(map, node->left);
        return rotate_right(map, node);
    }
    if (balance < -1) {
        if (height_of(node->right->right) < height_of(node->right->left))
            rotate_right(map, node->right);
        return rotate_left(map, node);
    }
    return node;
}

// Hangs `node` where the search for its key ends. An equal key met on the
// way sends the new pair to just before it: the rightmost spot of its left
// subtree, or its left child when it has none.
static void attach(EntryMap* map, EntryNode* node) {
    EntryNode* at = map->root;
    for (;;) {
        int order = map->compare(node->record.key, node->record.key_length, at->record.key,
                                 at->record.key_length);
        if (order == 0) {
            if (!at->left) {
                at->left = node;
                break;
            }
            at = at->left;
            while (at->right)
                at = at->right;
            at->right = node;
            break;
        }
        EntryNode** next = order < 0 ? &at->left : &at->right;
        if (!*next) {
            *next = node;
            break;
        }
        at = *next;
    }
    node->parent = at;
}

int entry_map_insert(EntryMap* map, const void* key, size_t key_length, const void* value,
                     size_t value_length) {
    EntryNode* node = static_cast<EntryNode*>(malloc(sizeof(EntryNode)));
    if (!node)
        return -1;
    node->parent = node->left = node->right = nullptr;
    node->height = 1;
    node->record.key_length = key_length;
    node->record.value_length = value_length;
    node->record.key = key;
    node->record.value = value;
    if (!map->root) {
        map->root = node;
        return 0;
    }
    attach(map, node);
    for (EntryNode* up = node->parent; up; up = up->parent)
        up = rebalance(map, up);
    return 0;
}

const void* entry_map_find(const EntryMap* map, const void* key, size_t key_length,
                           size_t* value_length) {
    const EntryNode* at = map->root;
    while (at) {
        int order = map->compare(key, key_length, at->record.key, at->record.key_length);
        if (order == 0) {
            if (value_length)
                *value_length = at->record.value_length;
            return at->record.value ? at->record.value : kEmptyValue;
        }
        at = order < 0 ? at->left : at->right;
    }
    return nullptr;
}

static const EntryNode* leftmost(const EntryNode* node) {
    while (node && node->left)
        node = node->left;
    return node;
}

static const EntryNode* successor(const EntryNode* node) {
    if (node->right)
        return leftmost(node->right);
    while (node->parent && node->parent->right == node)
        node = node->parent;
    return node->parent;
}

int32_t entry_map_for_each(const EntryMap* map, EntryVisitor visit, void* user) {
    for (const EntryNode* n = leftmost(map->root); n; n = successor(n)) {
        int32_t stop = visit(n->record.key, n->record.key_length, n->record.value,
                             n->record.value_length, user);
        if (stop)
            return stop;
    }
    return 0;
}

size_t entry_map_count(const EntryMap* map) {
    size_t count = 0;
    for (const EntryNode* n = leftmost(map->root); n; n = successor(n))
        count++;
    return count;
}
