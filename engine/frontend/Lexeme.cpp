#include "frontend/Lexeme.h"

#include <new>
#include <ostream>

namespace engine {

void Lexeme::assignLong(const char* text, std::size_t size)
{
    auto* const block = static_cast<LongBlock*>(::operator new(sizeof(LongBlock) + size));
    block->size = size;
    std::memcpy(block->text(), text, size);
    clearBytes();
    std::memcpy(bytes_, &block, sizeof block);
    bytes_[tagIndex] = longTag;
}

void Lexeme::releaseLong()
{
    ::operator delete(const_cast<LongBlock*>(longBlock()));
    clearBytes();
}

std::ostream& operator<<(std::ostream& stream, const Lexeme& lexeme) { return stream << lexeme.view(); }

} // namespace engine
