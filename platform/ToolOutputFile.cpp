#include "platform/ToolOutputFile.h"

#include "platform/LogCategories.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace platform {
namespace {

// Heap objects that live for the whole process: the process may exit while tools still run.
struct Registry {
    std::mutex mutex;
    std::map<QString, std::unique_ptr<std::mutex>> locks;
    std::string folder;
};

Registry& registry() {
    static Registry* instance = new Registry;  // never destroyed
    return *instance;
}

void removeFolderAtExit() {
    std::error_code ignored;
    std::filesystem::remove_all(registry().folder, ignored);
}

std::mutex& lockFor(const QString& name) {
    Registry& r = registry();
    std::lock_guard guard(r.mutex);
    auto& slot = r.locks[name];
    if (!slot) {
        slot = std::make_unique<std::mutex>();
    }
    return *slot;
}

}  // namespace

QString privateTempFolder() {
    static const QString* folder = [] {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/tavrun-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {  // mkdtemp creates the folder with mode 0700
            qCCritical(lcPlatform) << "cannot create the private temporary folder";
            std::abort();
        }
        registry().folder = pattern.toStdString();
        std::atexit(removeFolderAtExit);
        return new QString(QFile::decodeName(pattern));  // never destroyed, like the folder's lock table
    }();
    return *folder;
}

ToolOutputFile::ToolOutputFile(const QString& name)
    : lock_(lockFor(name)), hostPath_(privateTempFolder() + u'/' + name) {
    QFile::remove(hostPath_);
}

ToolOutputFile::~ToolOutputFile() {
    QFile::remove(hostPath_);
}

std::optional<QVariantMap> ToolOutputFile::readDictionary() const {
    QFile file(hostPath_);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return PropertyList::dictionaryFromBytes(file.readAll());
}

}  // namespace platform
