// The string builder.
#include "runtime/lib/RtStringBuilder.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtException.h"

namespace zemtra {

namespace {

void checkPosition(int64_t index, size_t length) {
    if (index < 0 || static_cast<uint64_t>(index) > length) {
        raise(u"RangeError", u"Index %d beyond bounds of a string of length %d",
              {decimal(index), decimal(static_cast<long long>(length))});
    }
}

}  // namespace

void RtStringBuilder::Initialize() {
    object_ = std::make_shared<TextBuffer>();
}

RtStringBuilder& RtStringBuilder::Append(StringView text) {
    buffer().append(text);
    return *this;
}

RtStringBuilder& RtStringBuilder::Insert(int32_t offset, StringView text) {
    String& target = buffer();
    checkPosition(offset, target.size());
    target.insert(static_cast<size_t>(offset), text);
    return *this;
}

RtStringBuilder& RtStringBuilder::Remove(int32_t begin, int32_t end) {
    String& target = buffer();
    checkPosition(begin, target.size());
    checkPosition(end, target.size());
    if (end < begin) checkPosition(-1, target.size());
    target.erase(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
    return *this;
}

String RtStringBuilder::description() const {
    return object_ ? buffer() : String(u"null");
}

std::shared_ptr<RtStringBuilder> RtStringBuilder::appendByName(const Value& text) {
    const String appended = text.isNullOrMarker() ? String(u"(null)") : text.description();
    Append(appended);
    return std::static_pointer_cast<RtStringBuilder>(shared_from_this());
}

std::shared_ptr<RtStringBuilder> RtStringBuilder::insertByName(int32_t offset, const String& text) {
    Insert(offset, text);
    return std::static_pointer_cast<RtStringBuilder>(shared_from_this());
}

std::shared_ptr<RtStringBuilder> RtStringBuilder::removeByName(int32_t begin, int32_t end) {
    Remove(begin, end);
    return std::static_pointer_cast<RtStringBuilder>(shared_from_this());
}

const MethodTable* RtStringBuilder::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize", &RtStringBuilder::Initialize),
        MethodTable::operation("IsInitialized", &RtStringBuilder::IsInitialized),
        MethodTable::operation("Append:", &RtStringBuilder::appendByName),
        MethodTable::operation("Insert::", &RtStringBuilder::insertByName),
        MethodTable::operation("Remove::", &RtStringBuilder::removeByName),
        MethodTable::operation("Length", &RtStringBuilder::Length),
        MethodTable::operation("ToString", &RtStringBuilder::ToString),
    };
    return &table;
}

}  // namespace zemtra
