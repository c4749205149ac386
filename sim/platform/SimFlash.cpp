// The flash as a power cut leaves it (SimControl.h, "Power cuts"): per file its durable content and the writes
// since its last fsync, per folder its durable entries and the entry changes since the folder's last fsync. The
// tree itself always shows the current state, as the kernel's cache would; restartFlash writes a state the
// flash may keep back into it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "DeviceRoot.h"
#include "SimControl.h"
#include "SimFaultHooks.h"

namespace qxsim {
namespace {

// A file's content; a symbolic link's target; other entries (folders, FIFOs, ...) are left as they are found.
enum NodeKind { NODE_FILE, NODE_LINK, NODE_OTHER };

struct DataChange {
    bool bTruncate;
    long long nOffset;  // -1: at the end
    std::string strData;
};

struct Node {
    NodeKind eKind;
    std::string strDurable;  // as of the last fsync (a link: its target)
    std::string strCurrent;  // with the changes below
    std::vector<DataChange> vecChanges;
};

enum EntryChangeKind { ENTRY_BIND, ENTRY_UNBIND, ENTRY_RENAME };
struct EntryChange {
    EntryChangeKind eKind;
    std::string strName;
    std::string strTo;  // ENTRY_RENAME
    int nNode;          // ENTRY_BIND
};

// Name -> node; 0: no entry. Only the names the file layer touched are kept; the others are as the tree shows.
using Entries = std::map<std::string, int>;

struct Folder {
    std::string strDevicePath;
    Entries durable;  // as of the folder's last fsync
    Entries current;  // the same names, as they are now
    std::vector<EntryChange> vecChanges;
};

using InodeKey = std::pair<unsigned long long, unsigned long long>;

struct Flash {
    std::mutex mutex;
    bool bOn = false;
    int nNextNode = 1;
    std::map<int, Node> nodes;
    std::map<std::string, Folder> folders;  // by host path
    std::map<InodeKey, int> inodes;         // the host's inode -> node
    std::map<const void*, int> openFiles;   // FILE* -> node
};

Flash& flash() {
    static Flash* s_pFlash = new Flash;  // never destroyed: files may be closed in static destructors
    return *s_pFlash;
}

bool isRamDisk(const std::string& p_strDevicePath) {
    return p_strDevicePath == "/tmp" || p_strDevicePath.compare(0, 5, "/tmp/") == 0;
}

// "/a//b/./c/" -> "/a/b/c".
std::string normalised(const std::string& p_strPath) {
    std::string strPath = p_strPath.empty() || p_strPath[0] != '/' ? p_strPath : devroot_detail::clampDotDot(p_strPath);
    while (strPath.size() > 1 && strPath.back() == '/') strPath.pop_back();
    return strPath;
}

// "/a/b/c" -> folder "/a/b", name "c".
void splitPath(const std::string& p_strPath, std::string& p_strFolder, std::string& p_strName) {
    const std::string strPath = normalised(p_strPath);
    const size_t nSlash = strPath.rfind('/');
    p_strFolder = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : strPath.substr(0, nSlash);
    p_strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

std::string joinPath(const std::string& p_strFolder, const std::string& p_strName) {
    return p_strFolder == "/" ? "/" + p_strName : p_strFolder + "/" + p_strName;
}

Folder& folderOf(Flash& p_flash, const std::string& p_strDeviceFolder) {
    Folder& f = p_flash.folders[qx_device_path(p_strDeviceFolder)];
    f.strDevicePath = p_strDeviceFolder;
    return f;
}

bool readWhole(const std::string& p_strHost, std::string& p_strContent) {
    int fd = ::open(p_strHost.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    char aBuf[4096];
    ssize_t nGot;
    while ((nGot = ::read(fd, aBuf, sizeof(aBuf))) > 0) p_strContent.append(aBuf, static_cast<size_t>(nGot));
    ::close(fd);
    return nGot == 0;
}

int newNode(Flash& p_flash, NodeKind p_eKind, const std::string& p_strContent) {
    const int nId = p_flash.nNextNode++;
    p_flash.nodes[nId] = Node{p_eKind, p_strContent, p_strContent, {}};
    return nId;
}

// The entry as the tree shows it now, taken for durable: the tree did not change since the last resetFaults()
// but through calls the model saw.
int nodeFromTree(Flash& p_flash, const std::string& p_strHost) {
    struct stat st;
    if (::lstat(p_strHost.c_str(), &st) != 0) return 0;
    int nId = 0;
    if (S_ISREG(st.st_mode)) {
        std::string strContent;
        nId = newNode(p_flash, readWhole(p_strHost, strContent) ? NODE_FILE : NODE_OTHER, strContent);
    } else if (S_ISLNK(st.st_mode)) {
        char szTarget[4096];
        ssize_t nLen = ::readlink(p_strHost.c_str(), szTarget, sizeof(szTarget));
        nId = nLen >= 0 ? newNode(p_flash, NODE_LINK, std::string(szTarget, static_cast<size_t>(nLen)))
                        : newNode(p_flash, NODE_OTHER, std::string());
    } else {
        nId = newNode(p_flash, NODE_OTHER, std::string());
    }
    p_flash.inodes[InodeKey(st.st_dev, st.st_ino)] = nId;
    return nId;
}

void applyData(std::string& p_strContent, const DataChange& p_change, size_t p_nBytes) {
    if (p_change.bTruncate) {
        p_strContent.clear();
        return;
    }
    if (p_nBytes == 0) return;
    const size_t nAt = p_change.nOffset < 0 ? p_strContent.size() : static_cast<size_t>(p_change.nOffset);
    if (p_strContent.size() < nAt + p_nBytes) p_strContent.resize(nAt + p_nBytes, '\0');
    p_strContent.replace(nAt, p_nBytes, p_change.strData, 0, p_nBytes);
}

long long unitsOf(const DataChange& p_change) {
    return p_change.bTruncate ? 1 : static_cast<long long>(p_change.strData.size());
}

// The content when the first p_nKept units of the changes since the last fsync reached the flash.
std::string contentKeeping(const Node& p_node, long long p_nKept) {
    std::string strContent = p_node.strDurable;
    for (const DataChange& change : p_node.vecChanges) {
        if (p_nKept <= 0) break;
        const long long nUnits = unitsOf(change);
        if (p_nKept < nUnits && change.bTruncate) break;
        const long long nTake = p_nKept < nUnits ? p_nKept : nUnits;
        applyData(strContent, change, static_cast<size_t>(nTake));
        p_nKept -= nTake;
    }
    return strContent;
}

void applyEntry(Entries& p_entries, const EntryChange& p_change) {
    switch (p_change.eKind) {
        case ENTRY_BIND:
            p_entries[p_change.strName] = p_change.nNode;
            break;
        case ENTRY_UNBIND:
            p_entries[p_change.strName] = 0;
            break;
        case ENTRY_RENAME: {
            const int nNode = p_entries[p_change.strName];
            p_entries[p_change.strName] = 0;
            p_entries[p_change.strTo] = nNode;
            break;
        }
    }
}

void record(Folder& p_folder, const EntryChange& p_change) {
    p_folder.vecChanges.push_back(p_change);
    applyEntry(p_folder.current, p_change);
}

// Forgets what the flash holds as the tree shows it: names synced both ways, and the nodes no one names.
void prune(Flash& p_flash) {
    std::set<int> setBusy;
    for (const auto& entry : p_flash.openFiles) setBusy.insert(entry.second);
    for (auto& folderEntry : p_flash.folders) {
        Folder& f = folderEntry.second;
        if (!f.vecChanges.empty() || isRamDisk(f.strDevicePath)) continue;  // a restart empties the RAM disk
        for (auto it = f.current.begin(); it != f.current.end();) {
            const int nNode = it->second;
            const bool bSynced = f.durable[it->first] == nNode &&
                                 (nNode == 0 || (p_flash.nodes[nNode].vecChanges.empty() && !setBusy.count(nNode)));
            if (bSynced) {
                f.durable.erase(it->first);
                it = f.current.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::set<int> setNamed = setBusy;
    for (auto it = p_flash.folders.begin(); it != p_flash.folders.end();) {
        const Folder& f = it->second;
        for (const auto& entry : f.durable) setNamed.insert(entry.second);
        for (const auto& entry : f.current) setNamed.insert(entry.second);
        for (const EntryChange& change : f.vecChanges) setNamed.insert(change.nNode);
        it = f.current.empty() && f.vecChanges.empty() ? p_flash.folders.erase(it) : std::next(it);
    }
    for (auto it = p_flash.nodes.begin(); it != p_flash.nodes.end();)
        it = setNamed.count(it->first) ? std::next(it) : p_flash.nodes.erase(it);
    for (auto it = p_flash.inodes.begin(); it != p_flash.inodes.end();)
        it = p_flash.nodes.count(it->second) ? std::next(it) : p_flash.inodes.erase(it);
}

// A device path that names the node now, named it at the folder's last fsync, or named it since; "" when no
// cut can bring it back.
std::string nameOf(const Flash& p_flash, int p_nNode) {
    for (const Entries Folder::*pWhich : {&Folder::current, &Folder::durable}) {
        for (const auto& folderEntry : p_flash.folders) {
            for (const auto& entry : folderEntry.second.*pWhich) {
                if (entry.second == p_nNode) return joinPath(folderEntry.second.strDevicePath, entry.first);
            }
        }
    }
    for (const auto& folderEntry : p_flash.folders) {
        for (const EntryChange& change : folderEntry.second.vecChanges) {
            if (change.eKind == ENTRY_BIND && change.nNode == p_nNode)
                return joinPath(folderEntry.second.strDevicePath, change.strName);
        }
    }
    return std::string();
}

// An unsynced change and what it belongs to: a folder, or else a node.
struct Change {
    UnsyncedChange stPublic;
    const Folder* pFolder;
    int nNode;
};

std::vector<Change> changesOf(const Flash& p_flash) {
    std::vector<Change> vecChanges;
    std::map<std::string, const Folder*> mapByDevicePath;
    for (const auto& entry : p_flash.folders) mapByDevicePath[entry.second.strDevicePath] = &entry.second;
    for (const auto& entry : mapByDevicePath) {
        if (entry.second->vecChanges.empty() || isRamDisk(entry.first)) continue;
        const long long nUnits = static_cast<long long>(entry.second->vecChanges.size());
        vecChanges.push_back(Change{UnsyncedChange{true, entry.first, nUnits}, entry.second, 0});
    }
    for (const auto& entry : p_flash.nodes) {
        const Node& node = entry.second;
        if (node.eKind != NODE_FILE || node.vecChanges.empty()) continue;
        const std::string strName = nameOf(p_flash, entry.first);
        // Removed for good; or in RAM, which no cut keeps.
        if (strName.empty() || isRamDisk(strName)) continue;
        long long nUnits = 0;
        for (const DataChange& change : node.vecChanges) nUnits += unitsOf(change);
        vecChanges.push_back(Change{UnsyncedChange{false, strName, nUnits}, nullptr, entry.first});
    }
    return vecChanges;
}

// Removes what is at the path unless it is a folder; not through unlink, which the fault layer would count.
void removeFromTree(const std::string& p_strHost) {
    struct stat st;
    if (::lstat(p_strHost.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlinkat(AT_FDCWD, p_strHost.c_str(), 0);
}

// Puts the entry in place of whatever is at the path (a folder stays); false when the tree refused it.
bool writeToTree(const std::string& p_strHost, const Node& p_node, const std::string& p_strContent) {
    if (p_node.eKind == NODE_OTHER) return true;
    struct stat st;
    if (::lstat(p_strHost.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
    removeFromTree(p_strHost);
    if (p_node.eKind == NODE_LINK) return ::symlink(p_strContent.c_str(), p_strHost.c_str()) == 0;
    int fd = ::open(p_strHost.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    size_t nDone = 0;
    while (nDone < p_strContent.size()) {
        ssize_t nPut = ::write(fd, p_strContent.data() + nDone, p_strContent.size() - nDone);
        if (nPut <= 0) break;
        nDone += static_cast<size_t>(nPut);
    }
    ::close(fd);
    return nDone == p_strContent.size();
}

}  // namespace

std::vector<UnsyncedChange> unsyncedChanges() {
    Flash& f = flash();
    std::lock_guard<std::mutex> lock(f.mutex);
    std::vector<UnsyncedChange> vecOut;
    for (const Change& change : changesOf(f)) vecOut.push_back(change.stPublic);
    return vecOut;
}

void restartFlash(const std::vector<long long>& p_vecKept) {
    {
        Flash& f = flash();
        std::lock_guard<std::mutex> lock(f.mutex);
        const std::vector<Change> vecChanges = changesOf(f);
        std::map<const Folder*, long long> mapFolderKept;
        std::map<int, long long> mapNodeKept;
        for (size_t i = 0; i < vecChanges.size(); ++i) {
            const long long nKept = i < p_vecKept.size() ? p_vecKept[i] : vecChanges[i].stPublic.nUnits;
            if (vecChanges[i].pFolder != nullptr) {
                mapFolderKept[vecChanges[i].pFolder] = nKept;
            } else {
                mapNodeKept[vecChanges[i].nNode] = nKept;
            }
        }
        for (const auto& folderEntry : f.folders) {
            const Folder& folder = folderEntry.second;
            Entries entries = folder.durable;
            const auto itKept = mapFolderKept.find(&folder);
            long long nKept = itKept == mapFolderKept.end() ? 0 : itKept->second;
            for (size_t i = 0; i < folder.vecChanges.size() && nKept > 0; ++i, --nKept)
                applyEntry(entries, folder.vecChanges[i]);
            for (const auto& entry : entries) {
                const std::string strHost = joinPath(folderEntry.first, entry.first);
                if (entry.second == 0 || isRamDisk(folder.strDevicePath)) {
                    removeFromTree(strHost);
                    continue;
                }
                const Node& node = f.nodes[entry.second];
                const auto itNodeKept = mapNodeKept.find(entry.second);
                const std::string strContent =
                    itNodeKept == mapNodeKept.end() ? node.strCurrent : contentKeeping(node, itNodeKept->second);
                if (!writeToTree(strHost, node, strContent))
                    std::fprintf(stderr, "restartFlash: cannot put back %s\n", strHost.c_str());
            }
        }
    }
    resetFaults();
}

namespace hooks {
namespace {

// Runs p_fn on the model, under its lock, once the fault layer has turned it on.
template <typename Fn>
void whenOn(Fn p_fn) {
    Flash& f = flash();
    std::lock_guard<std::mutex> lock(f.mutex);
    if (f.bOn) p_fn(f);
}

// The folder of a device path, and in p_strName the entry's name in it.
Folder& folderOfEntry(Flash& p_flash, const std::string& p_strPath, std::string& p_strName) {
    std::string strFolder;
    splitPath(p_strPath, strFolder, p_strName);
    return folderOf(p_flash, strFolder);
}

}  // namespace

void flashModelOn() {
    std::lock_guard<std::mutex> lock(flash().mutex);
    flash().bOn = true;
}

void flashTouch(const std::string& p_strPath) {
    whenOn([&](Flash& f) {
        std::string strName;
        Folder& folder = folderOfEntry(f, p_strPath, strName);
        if (folder.current.count(strName)) return;
        const int nNode = nodeFromTree(f, qx_device_path(joinPath(folder.strDevicePath, strName)));
        folder.durable[strName] = nNode;
        folder.current[strName] = nNode;
    });
}

void flashOpenedForWrite(const void* p_pFile, const std::string& p_strPath, unsigned long long p_nDevice,
                         unsigned long long p_nInode, bool p_bTruncated) {
    whenOn([&](Flash& f) {
        std::string strName;
        Folder& folder = folderOfEntry(f, p_strPath, strName);
        int nNode = folder.current[strName];
        if (nNode == 0) {
            nNode = newNode(f, NODE_FILE, std::string());
            record(folder, EntryChange{ENTRY_BIND, strName, std::string(), nNode});
        }
        Node& node = f.nodes[nNode];
        if (node.eKind != NODE_FILE) return;  // a link followed, or a file that could not be read: not modelled
        f.inodes[InodeKey(p_nDevice, p_nInode)] = nNode;
        f.openFiles[p_pFile] = nNode;
        if (p_bTruncated) {
            node.vecChanges.push_back(DataChange{true, 0, std::string()});
            node.strCurrent.clear();
        }
    });
}

void flashWrote(const void* p_pFile, long long p_nOffset, const char* p_pData, unsigned p_nLen) {
    whenOn([&](Flash& f) {
        auto it = f.openFiles.find(p_pFile);
        if (it == f.openFiles.end() || p_nLen == 0) return;
        Node& node = f.nodes[it->second];
        node.vecChanges.push_back(DataChange{false, p_nOffset, std::string(p_pData, p_nLen)});
        applyData(node.strCurrent, node.vecChanges.back(), p_nLen);
    });
}

void flashClosed(const void* p_pFile) {
    whenOn([&](Flash& f) { f.openFiles.erase(p_pFile); });
}

void flashFileSynced(unsigned long long p_nDevice, unsigned long long p_nInode) {
    whenOn([&](Flash& f) {
        auto it = f.inodes.find(InodeKey(p_nDevice, p_nInode));
        if (it == f.inodes.end()) return;
        Node& node = f.nodes[it->second];
        node.strDurable = node.strCurrent;
        node.vecChanges.clear();
        prune(f);
    });
}

void flashFolderSynced(const std::string& p_strFolder) {
    whenOn([&](Flash& f) {
        auto it = f.folders.find(qx_device_path(normalised(p_strFolder)));
        if (it == f.folders.end()) return;
        it->second.durable = it->second.current;
        it->second.vecChanges.clear();
        prune(f);
    });
}

void flashRenamed(const std::string& p_strFrom, const std::string& p_strTo) {
    whenOn([&](Flash& f) {
        std::string strFromName, strToName;
        Folder& from = folderOfEntry(f, p_strFrom, strFromName);
        Folder& to = folderOfEntry(f, p_strTo, strToName);
        if (&from == &to) {
            if (strFromName != strToName) record(from, EntryChange{ENTRY_RENAME, strFromName, strToName, 0});
            return;
        }
        const int nNode = from.current[strFromName];
        record(from, EntryChange{ENTRY_UNBIND, strFromName, std::string(), 0});
        record(to, EntryChange{ENTRY_BIND, strToName, std::string(), nNode});
    });
}

void flashRemoved(const std::string& p_strPath) {
    whenOn([&](Flash& f) {
        std::string strName;
        Folder& folder = folderOfEntry(f, p_strPath, strName);
        record(folder, EntryChange{ENTRY_UNBIND, strName, std::string(), 0});
    });
}

void flashArrived(const std::string& p_strPath) {
    whenOn([&](Flash& f) {
        std::string strName;
        Folder& folder = folderOfEntry(f, p_strPath, strName);
        const int nNode = nodeFromTree(f, qx_device_path(joinPath(folder.strDevicePath, strName)));
        record(folder, EntryChange{ENTRY_BIND, strName, std::string(), nNode});
    });
}

void flashForget() {
    Flash& f = flash();
    std::lock_guard<std::mutex> lock(f.mutex);
    f.nodes.clear();
    f.folders.clear();
    f.inodes.clear();
    f.openFiles.clear();
}

}  // namespace hooks
}  // namespace qxsim
