// SOAP 1.2 for the ONVIF endpoint of "imagetune-sim serve": reading a request envelope safely, writing answers
// and faults. Elements are matched by local name (any prefix, any order); the namespaces that matter (the
// envelope's, the action's) are resolved from the xmlns declarations in scope.
#ifndef IMAGETUNE_TOOLS_ONVIFSOAP_H
#define IMAGETUNE_TOOLS_ONVIFSOAP_H

#include <tinyxml.h>

#include <string>
#include <vector>

namespace onvifsoap {

// Envelopes are bounded before anything parses them: their size, and their nesting (TinyXML recurses without a
// limit), checked with the library's own pre-parse scanner.
const size_t MAX_ENVELOPE_BYTES = 64 * 1024;
const int MAX_ENVELOPE_DEPTH = 32;

extern const char* const NS_SOAP12;
extern const char* const NS_DEVICE;
extern const char* const NS_MEDIA;
extern const char* const NS_IMAGING;
extern const char* const NS_SCHEMA;

// A SOAP fault: "env:Sender" or "env:Receiver" (or "env:VersionMismatch"), up to two ONVIF subcodes
// ("ter:InvalidArgVal", "ter:NoSource"), the reason, and the HTTP status it travels with.
struct Fault {
    int nHttp = 400;
    std::string strCode = "env:Sender";
    std::string strSubcode;
    std::string strSubcode2;
    std::string strReason;
};

Fault senderFault(const char* p_szSubcode, const char* p_szSubcode2, const std::string& p_strReason);
Fault receiverFault(const char* p_szSubcode, const char* p_szSubcode2, const std::string& p_strReason);

// A parsed request: the document, its Header (or null) and the Body's one action element.
struct Envelope {
    TiXmlDocument objDoc;
    const TiXmlElement* pHeader = nullptr;
    const TiXmlElement* pAction = nullptr;
    std::string strActionNs;  // the action's namespace URI ("" when it has none)
};

// Parses p_strBody into p_stEnvelope; false with the fault to answer.
bool parseEnvelope(const std::string& p_strBody, Envelope& p_stEnvelope, Fault& p_stFault);

const char* localName(const TiXmlElement* p_pElement);
// The namespace URI of the element's prefix (or default namespace), from the declarations in scope.
std::string namespaceOf(const TiXmlElement* p_pElement);
// The first child element with that local name; null when none.
const TiXmlElement* child(const TiXmlElement* p_pParent, const char* p_szLocal);
// Its text without the blanks around it; "" when it has none.
std::string textOf(const TiXmlElement* p_pElement);

std::string escaped(const std::string& p_strText);
// The whole answer document around p_strBody (the Body's content).
std::string envelope(const std::string& p_strBody);
std::string faultEnvelope(const Fault& p_stFault);

// Writes nested elements: open/close by name, a leaf with escaped text.
class Writer {
public:
    Writer& open(const std::string& p_strName, const std::string& p_strAttributes = "");
    Writer& close();
    Writer& leaf(const std::string& p_strName, const std::string& p_strText, const std::string& p_strAttributes = "");
    // Text that is already XML.
    Writer& raw(const std::string& p_strXml) {
        m_strText += p_strXml;
        return *this;
    }
    // Closes what is open down to p_nDepth.
    void closeTo(size_t p_nDepth);
    size_t depth() const { return m_vecOpen.size(); }
    std::string text() {
        closeTo(0);
        return m_strText;
    }

private:
    std::string m_strText;
    std::vector<std::string> m_vecOpen;
};

// A number as xs:float text: "%g" with enough digits for every value the mapping gives.
std::string number(double p_dValue);

}  // namespace onvifsoap

#endif
