// The string builder: a wrapper around a growable text buffer. Offsets count UTF-16 code units;
// an offset or range outside the buffer raises "RangeError" and changes nothing. Every operation
// but Initialize and IsInitialized raises "Object was not initialized (NSMutableString)" on an
// uninitialized builder. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

// The platform's growable text object that a builder wraps.
class TextBuffer final : public Object {
  public:
    static constexpr StringView kClassName = u"NSMutableString";
    String className() const override { return String(kClassName); }
    String description() const override { return text; }

    String text;
};

class RtStringBuilder final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtStringBuilder";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<TextBuffer>(); }
    const MethodTable* methods() const override;
    // The buffer's text, or "null" when uninitialized.
    String description() const override;

    void Initialize();
    // Each returns the builder, for chaining.
    RtStringBuilder& Append(StringView text);
    // Inserts before `offset` (0 <= offset <= Length).
    RtStringBuilder& Insert(int32_t offset, StringView text);
    // Deletes from begin up to, not including, end (0 <= begin <= end <= Length).
    RtStringBuilder& Remove(int32_t begin, int32_t end);
    int32_t Length() const { return static_cast<int32_t>(buffer().size()); }
    String ToString() const { return buffer(); }

  private:
    String& buffer() const { return static_cast<TextBuffer&>(*object()).text; }
    // The by-name forms answer the builder as a value; Append: of Null appends "(null)".
    std::shared_ptr<RtStringBuilder> appendByName(const Value& text);
    std::shared_ptr<RtStringBuilder> insertByName(int32_t offset, const String& text);
    std::shared_ptr<RtStringBuilder> removeByName(int32_t begin, int32_t end);
};

}  // namespace zemtra
