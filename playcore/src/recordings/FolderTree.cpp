#include "playcore/FolderTree.h"

#include "playcore/DirectoryEntry.h"

#include <algorithm>

namespace playcore {

int ItemDepth(const FolderTree& tree, TreeItem item) {
    int depth = 0;
    for (TreeItem p = tree.Parent(item); p != kNoItem; p = tree.Parent(p)) {
        ++depth;
    }
    return depth;
}

std::string ItemPath(const FolderTree& tree, TreeItem item) {
    if (item == kNoItem) {
        return {};
    }
    std::vector<std::string> texts;
    for (TreeItem p = item; p != kNoItem; p = tree.Parent(p)) {
        texts.push_back(tree.ItemText(p));
    }
    std::string path = tree.RootPath();
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        path = JoinPath(path, *it);
    }
    return path;
}

TreeItem FirstTopLevelItem(const FolderTree& tree) {
    const std::vector<TreeItem> top = tree.Children(kNoItem);
    return top.empty() ? kNoItem : top.front();
}

TreeItem MemoryFolderTree::InsertItem(TreeItem parent, const std::string& text) {
    if (parent != kNoItem && nodes_.find(parent) == nodes_.end()) {
        return kNoItem;
    }
    const TreeItem item = next_++;
    Node node;
    node.parent = parent;
    node.text = text;
    nodes_.emplace(item, std::move(node));
    (parent == kNoItem ? top_ : nodes_[parent].children).push_back(item);
    return item;
}

void MemoryFolderTree::SetItemData(TreeItem item, uint32_t data) {
    auto it = nodes_.find(item);
    if (it != nodes_.end()) {
        it->second.data = data;
    }
}

uint32_t MemoryFolderTree::ItemData(TreeItem item) const {
    auto it = nodes_.find(item);
    return it == nodes_.end() ? 0 : it->second.data;
}

std::string MemoryFolderTree::ItemText(TreeItem item) const {
    auto it = nodes_.find(item);
    return it == nodes_.end() ? std::string() : it->second.text;
}

TreeItem MemoryFolderTree::Parent(TreeItem item) const {
    auto it = nodes_.find(item);
    return it == nodes_.end() ? kNoItem : it->second.parent;
}

std::vector<TreeItem> MemoryFolderTree::Children(TreeItem parent) const {
    if (parent == kNoItem) {
        return top_;
    }
    auto it = nodes_.find(parent);
    return it == nodes_.end() ? std::vector<TreeItem>() : it->second.children;
}

void MemoryFolderTree::Erase(TreeItem item) {
    auto it = nodes_.find(item);
    if (it == nodes_.end()) {
        return;
    }
    const std::vector<TreeItem> children = it->second.children;
    for (TreeItem c : children) {
        Erase(c);
    }
    if (selected_ == item) {
        selected_ = kNoItem;
    }
    nodes_.erase(item);
}

void MemoryFolderTree::DeleteChildren(TreeItem item) {
    auto it = nodes_.find(item);
    if (it == nodes_.end()) {
        return;
    }
    const std::vector<TreeItem> children = std::move(it->second.children);
    it->second.children.clear();
    for (TreeItem c : children) {
        Erase(c);
    }
}

void MemoryFolderTree::DeleteAll() {
    nodes_.clear();
    top_.clear();
    selected_ = kNoItem;
}

void MemoryFolderTree::Expand(TreeItem item) {
    auto it = nodes_.find(item);
    if (it != nodes_.end()) {
        it->second.expanded = true;
    }
}

bool MemoryFolderTree::IsExpanded(TreeItem item) const {
    auto it = nodes_.find(item);
    return it != nodes_.end() && it->second.expanded;
}

void MemoryFolderTree::Select(TreeItem item) {
    if (item == selected_ || (item != kNoItem && nodes_.find(item) == nodes_.end())) {
        return;
    }
    selected_ = item;
    if (onSelect) {
        onSelect(item);
    }
}

} // namespace playcore
