#pragma once

// What a `NodeTreeOperator` asks of its owner; every call is made on the main thread.
class NodeTreeOperatorDelegate {
public:
    virtual ~NodeTreeOperatorDelegate() = default;
    // A root's size changed: re-sort the root list, largest first.
    virtual void doRootArrSort() {}
};
