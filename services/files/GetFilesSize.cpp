#include "services/files/GetFilesSize.h"

#include "platform/Dispatch.h"
#include "platform/LogCategories.h"
#include "services/files/NodeTreeOperator.h"
#include "services/utilities/KVPublicUtilities.h"

GetFilesSize::~GetFilesSize() {
    if (owner_) {
        owner_->store(nullptr);
    }
}

void GetFilesSize::getAllFilesSizeWithArr(const FileNodeList& roots) {
    if (owner_) {
        owner_->store(nullptr);
    }
    owner_ = std::make_shared<std::atomic<GetFilesSize*>>(this);
    allFileSize_ = 0;
    FileNode::checkedSnapshotInBackground(roots, [owner = owner_](const FileNodeList& snapshot) {
        const auto total = static_cast<qint64>(sumChecked(snapshot));
        qCInfo(lcServices, "---%lld | %s", total, qUtf8Printable(KVPublicUtilities::longlongDiskSize(total)));
        platform::mainSync([&] {
            GetFilesSize* self = owner->load();
            if (self == nullptr) {
                return;
            }
            self->allFileSize_ = total;
            if (self->delegate_ != nullptr) {
                self->delegate_->allCopyFilesSize(total);
            }
        });
    });
}

quint64 GetFilesSize::getFileSizeWithPat(const QString& path, quint64 total) {
    return total + NodeTreeOperator::bytesBelow(path);
}

quint64 GetFilesSize::sumChecked(const FileNodeList& nodes) {
    quint64 total = 0;
    for (const auto& node : nodes) {
        if (node->state() == FileNode::kChecked) {
            total += node->isDirectory() ? getFileSizeWithPat(node->path(), 0) : node->size();
        } else if (node->state() == FileNode::kPartlyChecked) {
            total += sumChecked(node->children());
        }
    }
    return total;
}
