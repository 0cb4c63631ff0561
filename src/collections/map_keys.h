// Key policies of the map engine: how a key hashes, compares, and lives in an association.
//
// Pointer and word keys are plain values that all hash to 0 (every association lives in bucket
// 0); their bucket is recomputed when needed. String keys are CPortableString values owned by the
// association, hashed over their characters, and their bucket index is stored in the association
// so that a walk never rehashes.
//
// Tag gives the 32-bit value a map index (map_index.h) files a key under, from the key and its
// hash; StoredTag the same for the key an association holds. It must be well mixed in its high
// bits: for string keys it is the hash times an odd constant (so equal tags still mean equal
// hashes), for pointer and word keys (whose hash says nothing) a multiplicative mix of the key.
#ifndef VELQON_COLLECTIONS_MAP_KEYS_H
#define VELQON_COLLECTIONS_MAP_KEYS_H

#include <stdint.h>

#include <type_traits>

#include "string_elements.h"

namespace velqon_internal {

template <class K>
struct ValueKeys {
    using Arg = K;
    static constexpr bool kNeedsDestruction = false;
    static constexpr bool kCheapEqual = true;  // a compare is an instruction, not a call

    static unsigned int Hash(K) { return 0; }
    static bool Equal(K stored, K key) { return stored == key; }

    static uint32_t Tag(K key, unsigned int /*hash*/) {
        uint64_t bits;
        if constexpr (std::is_pointer<K>::value) {
            bits = reinterpret_cast<uintptr_t>(key);
        } else {
            bits = key;
        }
        return static_cast<uint32_t>((bits * 0x9E3779B97F4A7C15ull) >> 32);
    }
    template <class Assoc>
    static uint32_t StoredTag(Assoc const* assoc) {
        return Tag(assoc->key, 0);
    }

    template <class Assoc>
    static void Construct(Assoc* assoc) {
        assoc->key = K();
    }
    template <class Assoc>
    static void Assign(Assoc* assoc, K key, unsigned int /*bucket*/) {
        assoc->key = key;
    }
    template <class Assoc>
    static void Destroy(Assoc*) {}
    template <class Assoc>
    static unsigned int BucketOf(Assoc const* assoc, unsigned int tableSize) {
        return Hash(assoc->key) % tableSize;
    }
};

struct StringKeys {
    using Arg = char const*;
    static constexpr bool kNeedsDestruction = true;
    static constexpr bool kCheapEqual = false;

    // h = 33 * h + c over the characters, each read as a signed char, wrapping at 32 bits.
    static unsigned int Hash(char const* key) {
        unsigned int hash = 0;
        for (; *key != '\0'; ++key) {
            hash = hash * 33 + static_cast<unsigned int>(static_cast<signed char>(*key));
        }
        return hash;
    }
    static bool Equal(CPortableString const& stored, char const* key) { return stored == key; }

    static uint32_t Tag(char const* /*key*/, unsigned int hash) { return hash * 0x9E3779B9u; }
    template <class Assoc>
    static uint32_t StoredTag(Assoc const* assoc) {
        return Tag(nullptr, Hash(assoc->key));
    }

    template <class Assoc>
    static void Construct(Assoc* assoc) {
        ConstructElement(&assoc->key);
    }
    template <class Assoc>
    static void Assign(Assoc* assoc, char const* key, unsigned int bucket) {
        assoc->nBucketIndex = bucket;
        assoc->key = key;
    }
    template <class Assoc>
    static void Destroy(Assoc* assoc) {
        DestructElement(&assoc->key);
    }
    template <class Assoc>
    static unsigned int BucketOf(Assoc const* assoc, unsigned int /*tableSize*/) {
        return assoc->nBucketIndex;
    }
};

}  // namespace velqon_internal

#endif  // VELQON_COLLECTIONS_MAP_KEYS_H
