#include "services/files/GetFilesSize.h"

#include "platform/Dispatch.h"
#include "platform/LogCategories.h"
#include "services/utilities/KVPublicUtilities.h"
#include "services/files/NodeTreeOperator.h"

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
    auto snapshot = std::make_shared<FileNodeList>(FileNode::checkedSnapshot(roots));
    platform::globalAsync([owner = owner_, snapshot] {
        const auto total = static_cast<qint64>(sumChecked(*snapshot));
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
        if (node->state() == 1) {
            total += node->isDirectory() ? getFileSizeWithPat(node->path(), 0) : node->size();
        } else if (node->state() == 2) {
            total += sumChecked(node->children());
        }
    }
    return total;
}
