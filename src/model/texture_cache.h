// The textures made while a data set loads. While a TextureCache lives, every image file is read
// and decoded once: materials that name the same file (by its resolved host path) share its GL
// texture, and a file that cannot be used is explained on standard error once, however many
// materials name it. All textures together stay within a budget; past it a texture is refused
// with a message, never allocated. Create one around the loading of models, with the GL context
// that will hold the textures current; it must not outlive that context.
#pragma once
#include <cstdint>
#include <map>
#include <string>

// What all textures of one run may take together, as RGBA bytes: two of the largest pictures.
inline constexpr uint64_t kTextureBudgetBytes = uint64_t(512) << 20;

class TextureCache {
public:
    explicit TextureCache(uint64_t budgetBytes = kTextureBudgetBytes);
    ~TextureCache();
    TextureCache(const TextureCache&) = delete;
    TextureCache& operator=(const TextureCache&) = delete;

    // The innermost live cache; null when none lives (each texture is then read on its own).
    static TextureCache* current();

    struct Entry {
        uint32_t name = 0;   // the GL texture; 0 when the file could not be used
        std::string reason;  // why not, in English
        bool found = true;   // false: no file matched the name (the key is the path tried)
    };
    const Entry* find(const std::string& key) const;
    void add(const std::string& key, Entry entry, uint64_t bytes);
    // The key a material's request (its path and alternatives) led to before: asked again, the
    // file system is not searched again. Empty when it was not asked before.
    std::string keyOf(const std::string& request) const;
    void remember(const std::string& request, const std::string& key) { requests_[request] = key; }
    uint64_t bytesLeft() const { return budget_ > used_ ? budget_ - used_ : 0; }
    uint64_t budget() const { return budget_; }
    int filesRead() const { return filesRead_; }  // image files read and decoded (or refused)
    void countFileRead() { ++filesRead_; }

    // A cache of its own for one texture outside any live cache.
    struct Detached {};
    TextureCache(Detached, uint64_t budgetBytes);

private:
    std::map<std::string, Entry> entries_;
    std::map<std::string, std::string> requests_;
    uint64_t budget_;
    uint64_t used_ = 0;
    int filesRead_ = 0;
    TextureCache* previous_ = nullptr;
    bool installed_ = false;
};
