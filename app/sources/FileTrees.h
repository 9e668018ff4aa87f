#pragma once

#include "services/files/FileNode.h"

// Operations on whole trees of FileNode that the file list needs and the file services do not offer.
namespace sources {

// A deep copy: every node with its state, size, expansion and the children loaded so far.
FileNodeList copyTree(const FileNodeList& roots);

// The root list's order: the files, largest first and by name among equal sizes, then the folders by name.
// Stable whatever order the disk listed them in; after a shallow scan (folders unsized) still largest first,
// as the scans expect.
void sortRoots(FileNodeList& roots);

}  // namespace sources
