// What the mapping needs of a UI style document: each control's type, slider bounds and choices, by key. A
// linear scan of the text the controller prints (getUIStyleFile), so that the mapping needs no XML library on the
// camera: the library may import nothing beyond the runtimes and libimagetune.
#ifndef IMAGETUNE_ONVIF_STYLESCAN_H
#define IMAGETUNE_ONVIF_STYLESCAN_H

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace onvifstyle {

struct Control {
    std::string strType;
    bool bHasRange = false;  // both min and max read as numbers
    long nMin = 0;
    long nMax = 0;
    std::vector<std::pair<long, std::string>> vecChoices;  // index and name, in document order
};

// The controls of a style by key: every element with a numeric "id", its choices the elements with an "index"
// inside it. The last element of a key wins, as the library's own lookups take the last. Text that is not
// well-formed ends the scan; what was read before stays.
std::map<int, Control> scan(const std::string& p_strStyle);

}  // namespace onvifstyle

#endif
