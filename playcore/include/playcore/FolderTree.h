// The folder tree the scans fill: the interface the viewer's tree control
// implements, and an in-memory tree for tests and the command-line tool.
//
// Items are opaque handles; kNoItem (0) stands for "none" and, as a parent,
// for the top level. Each item carries a folder name as its text and a
// 32-bit value (the trigger bits of the folder's recordings).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace playcore {

using TreeItem = std::uintptr_t;
inline constexpr TreeItem kNoItem = 0;

class FolderTree {
public:
    virtual ~FolderTree() = default;

    // The folder the top-level items are relative to.
    virtual void SetRootPath(const std::string& path) = 0;
    virtual std::string RootPath() const = 0;

    // Appends an item under `parent` (kNoItem: at the top level) and returns it.
    virtual TreeItem InsertItem(TreeItem parent, const std::string& text) = 0;
    virtual void SetItemData(TreeItem item, uint32_t data) = 0;
    virtual uint32_t ItemData(TreeItem item) const = 0;
    virtual std::string ItemText(TreeItem item) const = 0;
    virtual TreeItem Parent(TreeItem item) const = 0; // kNoItem for a top-level item
    // Children of `parent` in order (kNoItem: the top-level items).
    virtual std::vector<TreeItem> Children(TreeItem parent) const = 0;
    virtual void DeleteChildren(TreeItem item) = 0;
    virtual void DeleteAll() = 0;
    virtual void Expand(TreeItem item) = 0;
    // Makes `item` the selected item. The viewer reacts to a change of the
    // selection by opening the folder (RecordingSource::OpenFolderItem).
    virtual void Select(TreeItem item) = 0;
    virtual TreeItem Selected() const = 0;
};

// Number of ancestors of `item` (0 for a top-level item).
int ItemDepth(const FolderTree& tree, TreeItem item);

// The folder an item stands for: the root path, then the texts of the item's
// ancestors from the top and of the item itself, joined by '/'. With an
// empty root path the joined texts alone; "" for kNoItem.
std::string ItemPath(const FolderTree& tree, TreeItem item);

// The first top-level item, or kNoItem.
TreeItem FirstTopLevelItem(const FolderTree& tree);

class MemoryFolderTree final : public FolderTree {
public:
    // Called after Select() changed the selection, as the viewer's tree
    // reports a new selection to its owner.
    std::function<void(TreeItem)> onSelect;

    void SetRootPath(const std::string& path) override { root_ = path; }
    std::string RootPath() const override { return root_; }
    TreeItem InsertItem(TreeItem parent, const std::string& text) override;
    void SetItemData(TreeItem item, uint32_t data) override;
    uint32_t ItemData(TreeItem item) const override;
    std::string ItemText(TreeItem item) const override;
    TreeItem Parent(TreeItem item) const override;
    std::vector<TreeItem> Children(TreeItem parent) const override;
    void DeleteChildren(TreeItem item) override;
    void DeleteAll() override;
    void Expand(TreeItem item) override;
    void Select(TreeItem item) override;
    TreeItem Selected() const override { return selected_; }

    bool IsExpanded(TreeItem item) const;
    std::size_t ItemCount() const { return nodes_.size(); }

private:
    struct Node {
        TreeItem parent = kNoItem;
        std::string text;
        uint32_t data = 0;
        bool expanded = false;
        std::vector<TreeItem> children;
    };
    void Erase(TreeItem item);

    std::string root_;
    std::map<TreeItem, Node> nodes_;
    std::vector<TreeItem> top_;
    TreeItem next_ = 1;
    TreeItem selected_ = kNoItem;
};

} // namespace playcore
