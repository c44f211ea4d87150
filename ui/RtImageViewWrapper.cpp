// Image view wrapper.
#include "ui/RtImageViewWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"

namespace zemtra {

const MethodTable* RtImageViewWrapper::methods() const {
    static const MethodTable table{
        {
            MethodTable::operation("Initialize::", &RtImageViewWrapper::Initialize),
            MethodTable::operation("Bitmap", &RtImageViewWrapper::Bitmap),
            MethodTable::operation("setBitmap:", &RtImageViewWrapper::setBitmap),
            MethodTable::operation("ContentMode", &RtImageViewWrapper::ContentMode),
            MethodTable::operation("setContentMode:", &RtImageViewWrapper::setContentMode),
            MethodTable::operation("MODE_FILL", &RtImageViewWrapper::MODE_FILL),
            MethodTable::operation("MODE_FIT", &RtImageViewWrapper::MODE_FIT),
            MethodTable::operation("MODE_CENTER", &RtImageViewWrapper::MODE_CENTER),
            MethodTable::operation("MODE_TOPLEFT", &RtImageViewWrapper::MODE_TOPLEFT),
        },
        RtViewWrapper::methods()};
    return &table;
}

void RtImageViewWrapper::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix) {
    setObject(Value(std::make_shared<UiImageView>()));
    innerInitialize(core, prefix, true);
}

std::shared_ptr<RtBitmap> RtImageViewWrapper::Bitmap() const {
    auto bitmap = std::make_shared<RtBitmap>();
    bitmap->setObject(Value(imageView().image()));
    return bitmap;
}

void RtImageViewWrapper::setBitmap(const std::shared_ptr<RtBitmap>& bitmap) {
    imageView().setImage(bitmap ? std::static_pointer_cast<UiImage>(bitmap->objectOrNull())
                                : nullptr);
}

void RtImageViewWrapper::setContentMode(int32_t mode) {
    imageView().setContentMode(static_cast<platform::ContentMode>(static_cast<uint8_t>(mode)));
}

}  // namespace zemtra
