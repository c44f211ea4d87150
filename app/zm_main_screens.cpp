// The page's views scaled to the screen at each resize, the buttons that show and hide the
// settings, log and information panels, and the device's display name.
#include "app/zm_main.h"

#include <sys/utsname.h>

#include <map>

#include "runtime/lib/RtList.h"

namespace zemtra::app {

void zm_main::_page1_resize(int32_t width, int32_t height) {
    const float rx = static_cast<float>(static_cast<double>(width) / 340);
    const float ry = static_cast<float>(static_cast<double>(height) / 568);
    const auto views = _page1->RootPanel()->GetAllViewsRecursive();
    RtViewWrapper wrapper;
    for (int32_t index = 0; index < views->Size(); ++index) {
        wrapper.setObject(views->Get(index));
        const Value tag = wrapper.Tag();
        const String* tagText = tag.string();
        if (tagText && *tagText == u"drm") continue;
        wrapper.setWidth(wrapper.Width() * rx);
        wrapper.setHeight(wrapper.Height() * ry);
        wrapper.setLeft(wrapper.Left() * rx);
        wrapper.setTop(wrapper.Top() * ry);
        // The word display keeps its own design size whatever the layout says.
        _textview1->setWidth(130 * rx);
        _textview1->setHeight(70 * ry);
    }
}

void zm_main::_btnset_click() {
    _pnlset->setVisible(true);
    _btnbk->setVisible(true);
}

void zm_main::_btnlog_click() {
    _pnllog->setVisible(true);
    _btnbk->setVisible(true);
    _readlog();
}

void zm_main::_btninfo_click() {
    _pnlinfo->setVisible(true);
    _btnbk->setVisible(true);
    _readlog();
}

void zm_main::_btnbk_click() {
    _btnbk->setVisible(false);
    _pnllog->setVisible(false);
    _pnlset->setVisible(false);
    _pnlinfo->setVisible(false);
}

String zm_main::deviceNameOf(StringView machine) {
    static const std::map<String, String, std::less<>> names = {
        {u"i386", u"Simulator"},
        {u"x86_64", u"Simulator"},
        {u"iPod1,1", u"iPod Touch"},
        {u"iPod2,1", u"iPod Touch"},
        {u"iPod3,1", u"iPod Touch"},
        {u"iPod4,1", u"iPod Touch"},
        {u"iPod7,1", u"iPod Touch"},
        {u"iPhone1,1", u"iPhone1"},
        {u"iPhone1,2", u"iPhone1"},
        {u"iPhone2,1", u"iPhone"},
        {u"iPad1,1", u"iPad1"},
        {u"iPad2,1", u"iPad2"},
        {u"iPad3,1", u"iPad3"},
        {u"iPhone3,1", u"iPhone1"},
        {u"iPhone3,3", u"iPhone1"},
        {u"iPhone4,1", u"iPhone4S"},
        {u"iPhone5,1", u"iPhone5"},
        {u"iPhone5,2", u"iPhone5"},
        {u"iPad3,4", u"iPad3"},
        {u"iPad2,5", u"iPad Mini"},
        {u"iPhone5,3", u"iPhone5c"},
        {u"iPhone5,4", u"iPhone5c"},
        {u"iPhone6,1", u"iPhone5s"},
        {u"iPhone6,2", u"iPhone5s"},
        {u"iPhone7,1", u"iPhone6Plus"},
        {u"iPhone7,2", u"iPhone6"},
        {u"iPhone8,1", u"iPhone6S"},
        {u"iPhone8,2", u"iPhone6S Plus"},
        {u"iPhone8,4", u"iPhoneSE"},
        {u"iPad4,1", u"iPad Air"},
        {u"iPad4,2", u"iPad Air"},
        {u"iPad4,4", u"iPad Mini"},
        {u"iPad4,5", u"iPad Mini"},
        {u"iPad4,7", u"iPad Mini"},
        {u"iPad6,7", u"iPad Pro (12.9\")"},
        {u"iPad6,8", u"iPad Pro (12.9\")"},
        {u"iPad6,3", u"iPad Pro (9.7\")"},
        {u"iPad6,4", u"iPad Pro (9.7\")"},
    };
    if (const auto found = names.find(machine); found != names.end()) return found->second;
    if (machine.find(u"iPod") != StringView::npos) return u"iPod Touch";
    if (machine.find(u"iPad") != StringView::npos) return u"iPad";
    if (machine.find(u"iPhone") != StringView::npos) return u"iPhone";
    return u"Unknown";
}

String zm_main::deviceName() {
    utsname system{};
    if (uname(&system) != 0) return deviceNameOf(StringView());
    return deviceNameOf(fromUtf8(system.machine));
}

}  // namespace zemtra::app
