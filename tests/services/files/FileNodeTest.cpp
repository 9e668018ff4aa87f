#include "platform/Bundle.h"
#include "platform/Dispatch.h"
#include "services/files/FileNode.h"

#include "tests/services/files/FileTreeSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <limits>

using filetree::adopt;
using filetree::drainBackground;
using filetree::names;
using filetree::node;

TEST(FileNode, StartsCheckedUnsizedCollapsedAndOutsideItsFather) {
    FileNode father("/Volumes/USB", "USB", true, nullptr);
    const FileNode child("/Volumes/USB/a.txt", "a.txt", false, &father);
    EXPECT_EQ(child.state(), 1);
    EXPECT_EQ(child.size(), 0U);
    EXPECT_TRUE(child.children().empty());
    EXPECT_FALSE(child.isExpand());
    EXPECT_EQ(child.isButtonState(), 0);
    EXPECT_TRUE(child.checkBoxRect().isNull());
    EXPECT_EQ(child.father(), &father);
    EXPECT_TRUE(father.children().empty()) << "the caller inserts the node";
}

struct NameCase {
    const char* name;
    const char* path;
    const char* shown;
    friend void PrintTo(const NameCase& row, std::ostream* out) { *out << row.name; }
};

class DisplayName : public testing::TestWithParam<NameCase> {};

TEST_P(DisplayName, IsTheLastPathComponent) {
    const FileNode item(QString::fromUtf8(GetParam().path), QStringLiteral("ignored"), true, nullptr);
    EXPECT_EQ(item.displayName(), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DisplayName,
    testing::Values(NameCase{"nested", "/Volumes/Data/Users", "Users"}, NameCase{"root", "/", "/"},
                    NameCase{"trailingSlash", "/Volumes/USB/", "USB"}, NameCase{"doubleSlash", "//", "/"},
                    NameCase{"beyondAscii", "/Users/ana/Résumé 履歴書.pdf", "Résumé 履歴書.pdf"},
                    NameCase{"relative", "loose", "loose"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FileNode, SortsLargestFirstAsUnsignedSizes) {
    FileNodeList list;
    for (const quint64 size : {quint64{5}, quint64{900}, quint64{12}, std::numeric_limits<quint64>::max()}) {
        list.push_back(node(QStringLiteral("/f%1").arg(size), false, 1, size));
    }
    std::stable_sort(list.begin(), list.end(), FileNode::largerFirst);
    std::vector<quint64> sizes;
    for (const auto& item : list) {
        sizes.push_back(item->size());
    }
    EXPECT_EQ(sizes, (std::vector<quint64>{std::numeric_limits<quint64>::max(), 900, 12, 5}));

    EXPECT_EQ(list[1]->compareSize(*list[2]), std::strong_ordering::less) << "the larger sorts first";
    EXPECT_EQ(list[2]->compareSize(*list[1]), std::strong_ordering::greater);
    const auto twin = node(QStringLiteral("/twin"), false, 1, 12);
    EXPECT_EQ(list[2]->compareSize(*twin), std::strong_ordering::equal);
}

TEST(FileNode, DecendingSortOrdersEveryLevelBelowTheNode) {
    auto root = node(QStringLiteral("/r"), true);
    FileNode* small = adopt(root.get(), node(QStringLiteral("/r/small"), true, 1, 10));
    adopt(root.get(), node(QStringLiteral("/r/big"), false, 1, 500));
    FileNode* middle = adopt(root.get(), node(QStringLiteral("/r/middle"), true, 1, 40));
    adopt(small, node(QStringLiteral("/r/small/1"), false, 1, 1));
    adopt(small, node(QStringLiteral("/r/small/9"), false, 1, 9));
    adopt(middle, node(QStringLiteral("/r/middle/leaf"), true, 1, 40));

    root->decendingSort();
    EXPECT_EQ(names(root->children()), QStringList({"big", "middle", "small"}));
    EXPECT_EQ(names(small->children()), QStringList({"9", "1"}));
    EXPECT_TRUE(middle->children().front()->children().empty()) << "a leaf stays as it is";
}

TEST(FileNode, AsksTheSystemFileTableAtEveryRead) {
    QTemporaryDir resources;
    platform::Bundle::setResourcesFolderForTesting(resources.path());
    auto writeTable = [&](const QByteArray& entries) {
        QFile out(resources.filePath(QStringLiteral("SystemFile.plist")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries +
                  "</dict></plist>\n");
    };
    writeTable("<key>0</key><string>/System</string><key>1</key><string>/private/var/vm</string>");
    const FileNode system(QStringLiteral("/System"), QStringLiteral("System"), true, nullptr);
    const FileNode user(QStringLiteral("/Users"), QStringLiteral("Users"), true, nullptr);
    EXPECT_TRUE(system.isSystemFile());
    EXPECT_FALSE(user.isSystemFile());

    writeTable("<key>0</key><string>/Users</string>");
    EXPECT_FALSE(system.isSystemFile()) << "no answer is kept";
    EXPECT_TRUE(user.isSystemFile());
    platform::Bundle::setResourcesFolderForTesting(QString());
}

TEST(FileNode, SnapshotHoldsTheCheckedPartAndNothingThatChangesLater) {
    FileNodeList roots;
    roots.push_back(node(QStringLiteral("/Users"), true, 2));
    roots.push_back(node(QStringLiteral("/skipped"), true, 0));
    FileNode* users = roots.front().get();
    FileNode* alice = adopt(users, node(QStringLiteral("/Users/alice"), true, 1));
    adopt(alice, node(QStringLiteral("/Users/alice/stale"), false, 0));
    adopt(users, node(QStringLiteral("/Users/bob"), true, 0));
    adopt(roots[1].get(), node(QStringLiteral("/skipped/x"), false, 1));

    const FileNodeList copy = FileNode::checkedSnapshot(roots);
    users->setState(0);
    users->children().clear();

    ASSERT_EQ(copy.size(), 2U) << "every root, unchecked ones too";
    EXPECT_EQ(copy[0]->state(), 2);
    EXPECT_EQ(copy[0]->father(), nullptr);
    EXPECT_EQ(names(copy[0]->children()), QStringList({"alice", "bob"}));
    EXPECT_EQ(copy[0]->children()[0]->father(), copy[0].get());
    EXPECT_TRUE(copy[0]->children()[0]->children().empty()) << "a checked folder stands for the whole item";
    EXPECT_TRUE(copy[1]->children().empty()) << "an unchecked one is not entered";
}

TEST(FileNode, KeepsLittleAndTakesItsPathFromItsFather) {
    EXPECT_LE(sizeof(FileNode), 56U) << "a scan makes millions of nodes: one 64-byte heap block, name within";
    FileNode volume(QStringLiteral("/Volumes/USB"), QStringLiteral("USB"), true, nullptr);
    FileNode file(&volume, "R\xC3\xA9sum\xC3\xA9.pdf", false);
    EXPECT_EQ(file.name(), QStringLiteral("Résumé.pdf"));
    EXPECT_EQ(file.path(), QStringLiteral("/Volumes/USB/Résumé.pdf"));
    FileNode startup(QStringLiteral("/"), QStringLiteral("/"), true, nullptr);
    EXPECT_EQ(FileNode(&startup, "Users", true).path(), QStringLiteral("/Users"));
    file.setFather(&startup);
    EXPECT_EQ(file.path(), QStringLiteral("/Volumes/USB/Résumé.pdf")) << "moved, it keeps its path";
}

TEST(FileNode, ABackgroundSnapshotShowsTheTreeAsItWasWhenAsked) {
    FileNodeList roots;
    roots.push_back(node(QStringLiteral("/Users"), true, 2));
    FileNode* users = roots.front().get();
    adopt(users, node(QStringLiteral("/Users/alice"), true, 1));
    users->children().push_back(std::make_unique<FileNode>(users, "bob", true));
    std::atomic_bool offMain = false;
    std::atomic_bool taken = false;
    FileNodeList copy;
    FileNode::checkedSnapshotInBackground(roots, [&](FileNodeList snapshot) {
        offMain = !platform::isMainThread();
        copy = std::move(snapshot);
        taken = true;
    });
    users->setState(0);
    users->children().clear();
    ASSERT_TRUE(testsupport::waitUntil([&] { return taken.load(); }));
    drainBackground();
    EXPECT_TRUE(offMain);
    ASSERT_EQ(copy.size(), 1U);
    EXPECT_EQ(copy[0]->state(), 2);
    EXPECT_EQ(names(copy[0]->children()), QStringList({"alice", "bob"}));
    EXPECT_EQ(copy[0]->children()[1]->path(), QStringLiteral("/Users/bob"));
}
