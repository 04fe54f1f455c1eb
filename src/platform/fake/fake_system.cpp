#include "platform/fake/fake_system.h"

#include <algorithm>

namespace orvel {

struct FakeSystem::Node {
  std::string bytes;
  bool readOnly = false;
  int readers = 0, writers = 0, denyRead = 0, denyWrite = 0;
  int writeOpens = 0;
};

namespace {

class FakeFile final : public File {
 public:
  FakeFile(std::shared_ptr<FakeSystem::Node> node, const FileMode& mode)
      : node_(std::move(node)),
        read_(mode.access != FileAccess::Write),
        write_(mode.access != FileAccess::Read),
        denyRead_(!(mode.share & kShareRead)),
        denyWrite_(!(mode.share & kShareWrite)) {
    node_->readers += read_;
    node_->writers += write_;
    node_->denyRead += denyRead_;
    node_->denyWrite += denyWrite_;
  }
  ~FakeFile() override {
    node_->readers -= read_;
    node_->writers -= write_;
    node_->denyRead -= denyRead_;
    node_->denyWrite -= denyWrite_;
  }
  FakeFile(const FakeFile&) = delete;
  FakeFile& operator=(const FakeFile&) = delete;

  bool ReadToEnd(std::string& bytes) override {
    if (!read_) return false;
    if (position_ < node_->bytes.size()) bytes.append(node_->bytes, position_);
    position_ = std::max(position_, node_->bytes.size());
    return true;
  }
  bool Write(std::string_view bytes) override {
    if (!write_) return false;
    if (node_->bytes.size() < position_) node_->bytes.resize(position_, '\0');
    node_->bytes.replace(position_, std::min(bytes.size(), node_->bytes.size() - position_), bytes);
    position_ += bytes.size();
    return true;
  }
  bool Rewind() override {
    position_ = 0;
    return true;
  }
  bool TruncateHere() override {
    if (!write_) return false;
    node_->bytes.resize(position_, '\0');
    return true;
  }
  bool FlushToDisk() override { return true; }

 private:
  std::shared_ptr<FakeSystem::Node> node_;
  std::size_t position_ = 0;
  bool read_, write_, denyRead_, denyWrite_;
};

}  // namespace

FakeSystem::FakeSystem(char16_t separator) : separator_(separator) {}

std::string FakeSystem::Key(const Text& path) {
  std::string key = TextToUtf8(path);
  std::replace(key.begin(), key.end(), '\\', '/');
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

// The folder a path stands in; empty for a path relative to the current
// folder.
std::string FakeSystem::ParentKey(const std::string& key) {
  const std::size_t cut = key.rfind('/');
  if (cut == std::string::npos) return {};
  return cut == 0 ? "/" : key.substr(0, cut);
}

bool FakeSystem::ParentExists(const std::string& key) const {
  const std::string parent = ParentKey(key);
  return parent.empty() || folders_.count(parent) != 0;
}

bool FakeSystem::ParentWritable(const std::string& key) const {
  return ParentExists(key) && readOnlyFolders_.count(ParentKey(key)) == 0;
}

void FakeSystem::AddFolder(const Text& path) { folders_.insert(Key(path)); }

void FakeSystem::AddFile(const Text& path, std::string bytes) {
  auto node = std::make_shared<Node>();
  node->bytes = std::move(bytes);
  files_[Key(path)] = std::move(node);
}

void FakeSystem::SetReadOnly(const Text& path, bool readOnly) {
  const std::string key = Key(path);
  if (folders_.count(key) != 0) {
    if (readOnly) {
      readOnlyFolders_.insert(key);
    } else {
      readOnlyFolders_.erase(key);
    }
  }
  if (auto found = files_.find(key); found != files_.end()) found->second->readOnly = readOnly;
}

std::optional<std::string> FakeSystem::FileBytes(const Text& path) const {
  const auto found = files_.find(Key(path));
  if (found == files_.end()) return std::nullopt;
  return found->second->bytes;
}

int FakeSystem::WriteOpens(const Text& path) const {
  const auto found = files_.find(Key(path));
  return found == files_.end() ? 0 : found->second->writeOpens;
}

std::unique_ptr<File> FakeSystem::OpenFile(const Text& path, const FileMode& mode) {
  if (path.empty()) return nullptr;
  const std::string key = Key(path);
  if (folders_.count(key) != 0) return nullptr;
  const bool read = mode.access != FileAccess::Write;
  const bool write = mode.access != FileAccess::Read;
  auto found = files_.find(key);
  if (found == files_.end()) {
    if (mode.disposition == FileDisposition::OpenExisting ||
        mode.disposition == FileDisposition::TruncateExisting || !ParentWritable(key)) {
      return nullptr;
    }
    found = files_.emplace(key, std::make_shared<Node>()).first;
  } else {
    Node& node = *found->second;
    if (write && node.readOnly) return nullptr;
    if ((read && node.denyRead) || (write && node.denyWrite) ||
        (!(mode.share & kShareRead) && node.readers) ||
        (!(mode.share & kShareWrite) && node.writers)) {
      return nullptr;
    }
    if (mode.disposition == FileDisposition::CreateAlways ||
        mode.disposition == FileDisposition::TruncateExisting) {
      node.bytes.clear();
    }
  }
  if (write) ++found->second->writeOpens;
  return std::make_unique<FakeFile>(found->second, mode);
}

std::int64_t FakeSystem::PathSize(const Text& path) {
  if (path.empty()) return kPathMissing;
  const std::string key = Key(path);
  if (folders_.count(key) != 0) return kPathIsFolder;
  const auto found = files_.find(key);
  return found == files_.end() ? kPathMissing : static_cast<std::int64_t>(found->second->bytes.size());
}

bool FakeSystem::ReplaceAtomically(const Text& source, const Text& target) {
  const std::string from = Key(source), to = Key(target);
  auto found = files_.find(from);
  if (refuseReplace_ || found == files_.end() || folders_.count(to) != 0) return false;
  if (auto old = files_.find(to); old != files_.end()) {
    const Node& node = *old->second;
    if (node.readOnly || node.readers || node.writers) return false;  // no delete sharing
  }
  auto node = found->second;
  files_.erase(found);
  files_[to] = std::move(node);
  return true;
}

bool FakeSystem::RemoveFile(const Text& path) {
  auto found = files_.find(Key(path));
  if (found == files_.end() || found->second->readOnly) return false;
  files_.erase(found);
  return true;
}

char16_t FakeLowerCase(char16_t c) {
  const bool upper = (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F);
  return upper ? static_cast<char16_t>(c + 0x20) : c;
}

Text FakeSystem::LowerCase(const Text& text) {
  Text out = text;
  for (char16_t& c : out) c = FakeLowerCase(c);
  return out;
}

std::vector<Text> FakeSystem::Listing() const {
  std::vector<Text> all;
  for (const auto& [key, node] : files_) all.push_back(Utf8ToText(key));
  for (const auto& key : folders_) all.push_back(Utf8ToText(key));
  return all;
}

bool FakeSystem::CreateFolder(const Text& path) {
  const std::string key = Key(path);
  if (refuseFolders_ || key.empty() || folders_.count(key) != 0 || files_.count(key) != 0 ||
      !ParentWritable(key)) {
    return false;
  }
  folders_.insert(key);
  return true;
}

bool FakeSystem::MayWriteIn(const Text& folder) {
  const std::string key = Key(folder);
  return folders_.count(key) != 0 && readOnlyFolders_.count(key) == 0;
}

}  // namespace orvel
