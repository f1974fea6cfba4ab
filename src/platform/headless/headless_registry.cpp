#include <algorithm>
#include <cctype>

#include "platform/headless/headless_desktop.h"
#include "platform/registry_path.h"

namespace dida {

int HeadlessRegistry::Hive(RootKey root) { return root >= 1 && root <= 5 ? root : kCurrentUser; }

// The registry ignores the case of ASCII letters in key and value names.
std::string HeadlessRegistry::Fold(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    while (!out.empty() && out.back() == '\\') out.pop_back();
    while (!out.empty() && out.front() == '\\') out.erase(out.begin());
    return out;
}

void HeadlessRegistry::CreateKey(RootKey root, const std::string& key) {
    const std::string k = Fold(key);
    keys_[{Hive(root), ""}];
    for (std::size_t pos = k.find('\\'); pos != std::string::npos; pos = k.find('\\', pos + 1))
        keys_[{Hive(root), k.substr(0, pos)}];
    keys_[{Hive(root), k}];
}

void HeadlessRegistry::SetValue(RootKey root, const std::string& key, const std::string& name, RegValue v) {
    CreateKey(root, key);
    Key& k = keys_[{Hive(root), Fold(key)}];
    const std::string folded = Fold(name);
    k.values[folded] = std::move(v);
    k.names.emplace(folded, name);
}

std::optional<RegValue> HeadlessRegistry::GetValue(RootKey root, const std::string& key,
                                                   const std::string& name) const {
    auto it = keys_.find({Hive(root), Fold(key)});
    if (it == keys_.end()) return std::nullopt;
    auto v = it->second.values.find(Fold(name));
    if (v == it->second.values.end()) return std::nullopt;
    return v->second;
}

bool HeadlessRegistry::KeyExists(RootKey root, const std::string& key) const {
    const std::string k = Fold(key);
    return k.empty() || keys_.count({Hive(root), k}) > 0;
}

bool HeadlessRegistry::DeleteValue(RootKey root, const std::string& key, const std::string& name) {
    auto it = keys_.find({Hive(root), Fold(key)});
    if (it == keys_.end()) return false;
    const std::string folded = Fold(name);
    it->second.names.erase(folded);
    return it->second.values.erase(folded) > 0;
}

bool HeadlessRegistry::DeleteKey(RootKey root, const std::string& key) {
    const std::string k = Fold(key);
    if (k.empty()) return false;
    auto it = keys_.find({Hive(root), k});
    if (it == keys_.end()) return false;
    const std::string prefix = k + "\\";
    for (auto& [id, unused] : keys_)
        if (id.first == Hive(root) && id.second.compare(0, prefix.size(), prefix) == 0) return false;
    keys_.erase(it);
    return true;
}

void HeadlessRegistry::SetWriteProtected(RootKey root, bool on) { protected_[Hive(root)] = on; }

bool HeadlessRegistry::WriteProtected(RootKey root) const {
    auto it = protected_.find(Hive(root));
    return it != protected_.end() && it->second;
}

void HeadlessRegistry::SetEnvironment(const std::string& name, const std::string& value) { env_[Fold(name)] = value; }

std::string HeadlessRegistry::Expand(const std::string& text) const {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        out.append(text, i, open - i);
        auto it = env_.find(Fold(text.substr(open + 1, close - open - 1)));
        if (it != env_.end()) {
            out += it->second;
            i = close + 1;
        } else {
            // An unknown name stays as written, and its closing '%' may open the next reference.
            out.append(text, open, close - open);
            i = close;
        }
    }
    out.append(text, i, std::string::npos);
    return out;
}

std::optional<std::string> HeadlessRegistry::Text(RootKey root, const std::string& fullPath) const {
    const RegPath p = SplitFullPath(fullPath);
    const auto v = GetValue(root, p.key, p.value);
    if (!v || v->type != RegType::Sz) return std::nullopt;
    return v->text;
}

}  // namespace dida
