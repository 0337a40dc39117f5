#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/registry_api.h"

// A registry in memory with the contract of the ANSI entry points: names and data already in the
// ANSI code page. It records what was asked and counts the keys left open.
class FakeRegistry : public kestrel::RegistryApi {
public:
    struct Value {
        std::uint32_t type = kestrel::registry_type::kString;
        std::string data;  // text with its terminating zero, as RegQueryValueExA gives it
    };
    struct OpenCall {
        kestrel::RootKeyHandle root;
        std::string subkey;
        std::uint32_t accessMask;
    };

    void Set(kestrel::RootKeyHandle root, const std::string& subkey, const std::string& name,
             Value value) {
        m_keys[{root, subkey}][name] = std::move(value);
    }
    void Remove(kestrel::RootKeyHandle root, const std::string& subkey, const std::string& name) {
        m_keys[{root, subkey}].erase(name);
    }

    kestrel::RegistryStatus OpenKey(kestrel::RootKeyHandle root, const std::string& subkey,
                                    std::uint32_t /*options*/, std::uint32_t accessMask,
                                    kestrel::OpenKeyHandle& opened) override {
        openCalls.push_back({root, subkey, accessMask});
        const auto key = m_keys.find({root, subkey});
        if (key == m_keys.end()) {
            return kestrel::registry_status::kFileNotFound;
        }
        opened = m_nextHandle++;
        m_open[opened] = &key->second;
        return kestrel::registry_status::kSuccess;
    }

    kestrel::RegistryStatus QueryValue(kestrel::OpenKeyHandle key, const std::string& valueName,
                                       std::uint32_t& type, std::span<char> buffer,
                                       std::uint32_t& dataSize) override {
        queriedNames.push_back(valueName);
        const auto& values = *m_open.at(key);
        const auto value = values.find(valueName);
        if (value == values.end()) {
            return kestrel::registry_status::kFileNotFound;
        }
        type = value->second.type;
        dataSize = static_cast<std::uint32_t>(value->second.data.size());
        if (dataSize > buffer.size()) {
            return kestrel::registry_status::kMoreData;
        }
        std::ranges::copy(value->second.data, buffer.begin());
        return kestrel::registry_status::kSuccess;
    }

    kestrel::RegistryStatus CloseKey(kestrel::OpenKeyHandle key) override {
        return m_open.erase(key) == 1 ? kestrel::registry_status::kSuccess
                                      : kestrel::registry_status::kInvalidHandle;
    }

    std::size_t OpenKeyCount() const { return m_open.size(); }

    std::vector<OpenCall> openCalls;
    std::vector<std::string> queriedNames;

private:
    using KeyId = std::pair<kestrel::RootKeyHandle, std::string>;
    std::map<KeyId, std::map<std::string, Value>> m_keys;
    std::map<kestrel::OpenKeyHandle, const std::map<std::string, Value>*> m_open;
    kestrel::OpenKeyHandle m_nextHandle = 1;
};
