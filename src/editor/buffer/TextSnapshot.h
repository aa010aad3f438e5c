#pragma once

#include "TextReading.h"
#include "TextStorage.h"

#include <memory>

// The text as it was when the snapshot was taken: later edits never show in it. Copies share
// the storage, and every call may come from any thread.
class TextSnapshot : public TextReading<TextSnapshot>
{
public:
    TextSnapshot()
        : m_storage(std::make_shared<const TextStorage>())
    {
    }
    explicit TextSnapshot(std::shared_ptr<const TextStorage> storage)
        : m_storage(std::move(storage))
    {
    }

    const TextStorage &storage() const { return *m_storage; }

private:
    std::shared_ptr<const TextStorage> m_storage;
};
