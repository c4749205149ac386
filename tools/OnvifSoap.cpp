#include "OnvifSoap.h"

#include <stdio.h>
#include <string.h>

#include "XmlDepthGuard.h"

namespace onvifsoap {

const char* const NS_SOAP12 = "http://www.w3.org/2003/05/soap-envelope";
const char* const NS_DEVICE = "http://www.onvif.org/ver10/device/wsdl";
const char* const NS_MEDIA = "http://www.onvif.org/ver10/media/wsdl";
const char* const NS_IMAGING = "http://www.onvif.org/ver20/imaging/wsdl";
const char* const NS_SCHEMA = "http://www.onvif.org/ver10/schema";

namespace {

const char* const NS_SOAP11 = "http://schemas.xmlsoap.org/soap/envelope/";

std::string prefixOf(const char* p_szName) {
    const char* szColon = strchr(p_szName, ':');
    return szColon == nullptr ? "" : std::string(p_szName, static_cast<size_t>(szColon - p_szName));
}

// Whether the element has child elements other than those named; comments and text do not count.
const TiXmlElement* onlyChildElement(const TiXmlElement* p_pParent, bool& p_bMore) {
    const TiXmlElement* pFirst = p_pParent->FirstChildElement();
    p_bMore = pFirst != nullptr && pFirst->NextSiblingElement() != nullptr;
    return pFirst;
}

}  // namespace

Fault senderFault(const char* p_szSubcode, const char* p_szSubcode2, const std::string& p_strReason) {
    Fault stFault;
    stFault.strSubcode = p_szSubcode != nullptr ? p_szSubcode : "";
    stFault.strSubcode2 = p_szSubcode2 != nullptr ? p_szSubcode2 : "";
    stFault.strReason = p_strReason;
    return stFault;
}

Fault receiverFault(const char* p_szSubcode, const char* p_szSubcode2, const std::string& p_strReason) {
    Fault stFault = senderFault(p_szSubcode, p_szSubcode2, p_strReason);
    stFault.nHttp = 500;
    stFault.strCode = "env:Receiver";
    return stFault;
}

const char* localName(const TiXmlElement* p_pElement) {
    const char* szName = p_pElement->Value();
    const char* szColon = strchr(szName, ':');
    return szColon == nullptr ? szName : szColon + 1;
}

std::string namespaceOf(const TiXmlElement* p_pElement) {
    std::string strPrefix = prefixOf(p_pElement->Value());
    std::string strAttr = strPrefix.empty() ? "xmlns" : "xmlns:" + strPrefix;
    for (const TiXmlNode* p = p_pElement; p != nullptr; p = p->Parent()) {
        const TiXmlElement* pElem = p->ToElement();
        if (pElem == nullptr) break;
        const char* szUri = pElem->Attribute(strAttr.c_str());
        if (szUri != nullptr) return szUri;
    }
    return "";
}

const TiXmlElement* child(const TiXmlElement* p_pParent, const char* p_szLocal) {
    if (p_pParent == nullptr) return nullptr;
    for (const TiXmlElement* p = p_pParent->FirstChildElement(); p != nullptr; p = p->NextSiblingElement()) {
        if (strcmp(localName(p), p_szLocal) == 0) return p;
    }
    return nullptr;
}

std::string textOf(const TiXmlElement* p_pElement) {
    if (p_pElement == nullptr || p_pElement->GetText() == nullptr) return "";
    std::string strText = p_pElement->GetText();
    size_t nFirst = strText.find_first_not_of(" \t\r\n");
    if (nFirst == std::string::npos) return "";
    return strText.substr(nFirst, strText.find_last_not_of(" \t\r\n") - nFirst + 1);
}

bool parseEnvelope(const std::string& p_strBody, Envelope& p_stEnvelope, Fault& p_stFault) {
    if (p_strBody.size() > MAX_ENVELOPE_BYTES) {
        p_stFault = senderFault("ter:WellFormed", nullptr,
                                "the envelope is larger than " + std::to_string(MAX_ENVELOPE_BYTES) + " bytes");
        return false;
    }
    if (p_strBody.find('\0') != std::string::npos || !xmlguard::parseable(p_strBody.c_str(), MAX_ENVELOPE_DEPTH)) {
        p_stFault = senderFault("ter:WellFormed", nullptr,
                                "the envelope holds a NUL, a cut character or nests deeper than " +
                                    std::to_string(MAX_ENVELOPE_DEPTH) + " levels");
        return false;
    }
    p_stEnvelope.objDoc.Parse(p_strBody.c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* pRoot = p_stEnvelope.objDoc.RootElement();
    if (p_stEnvelope.objDoc.Error() || pRoot == nullptr) {
        p_stFault = senderFault("ter:WellFormed", nullptr, "the envelope is not well-formed XML");
        return false;
    }
    std::string strNs = namespaceOf(pRoot);
    if (strcmp(localName(pRoot), "Envelope") != 0 || (strNs != NS_SOAP12 && strNs != NS_SOAP11)) {
        p_stFault = senderFault("ter:WellFormed", nullptr, "the document is not a SOAP envelope");
        return false;
    }
    if (strNs != NS_SOAP12) {
        p_stFault = senderFault(nullptr, nullptr, "only SOAP 1.2 envelopes are answered");
        p_stFault.strCode = "env:VersionMismatch";
        return false;
    }
    p_stEnvelope.pHeader = child(pRoot, "Header");
    const TiXmlElement* pBody = child(pRoot, "Body");
    bool bMore = false;
    p_stEnvelope.pAction = pBody != nullptr ? onlyChildElement(pBody, bMore) : nullptr;
    if (p_stEnvelope.pAction == nullptr || bMore) {
        p_stFault = senderFault("ter:InvalidArgs", nullptr, "the envelope's Body must hold exactly one request");
        return false;
    }
    p_stEnvelope.strActionNs = namespaceOf(p_stEnvelope.pAction);
    return true;
}

std::string escaped(const std::string& p_strText) {
    std::string strOut;
    for (char c : p_strText) {
        switch (c) {
            case '&':
                strOut += "&amp;";
                break;
            case '<':
                strOut += "&lt;";
                break;
            case '>':
                strOut += "&gt;";
                break;
            case '"':
                strOut += "&quot;";
                break;
            default:
                // Control characters have no place in XML 1.0 text.
                strOut += (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') ? '?' : c;
        }
    }
    return strOut;
}

std::string envelope(const std::string& p_strBody) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<env:Envelope xmlns:env=\"") + NS_SOAP12 +
           "\" xmlns:tt=\"" + NS_SCHEMA + "\" xmlns:tds=\"" + NS_DEVICE + "\" xmlns:trt=\"" + NS_MEDIA +
           "\" xmlns:timg=\"" + NS_IMAGING + "\" xmlns:ter=\"http://www.onvif.org/ver10/error\"><env:Body>" +
           p_strBody + "</env:Body></env:Envelope>\n";
}

std::string faultEnvelope(const Fault& p_stFault) {
    Writer objXml;
    objXml.open("env:Fault").open("env:Code").leaf("env:Value", p_stFault.strCode);
    if (!p_stFault.strSubcode.empty()) {
        objXml.open("env:Subcode").leaf("env:Value", p_stFault.strSubcode);
        if (!p_stFault.strSubcode2.empty()) objXml.open("env:Subcode").leaf("env:Value", p_stFault.strSubcode2).close();
        objXml.close();
    }
    objXml.close().open("env:Reason").leaf("env:Text", p_stFault.strReason, "xml:lang=\"en\"");
    return envelope(objXml.text());
}

Writer& Writer::open(const std::string& p_strName, const std::string& p_strAttributes) {
    m_strText += "<" + p_strName + (p_strAttributes.empty() ? "" : " " + p_strAttributes) + ">";
    m_vecOpen.push_back(p_strName);
    return *this;
}

Writer& Writer::close() {
    if (!m_vecOpen.empty()) {
        m_strText += "</" + m_vecOpen.back() + ">";
        m_vecOpen.pop_back();
    }
    return *this;
}

Writer& Writer::leaf(const std::string& p_strName, const std::string& p_strText, const std::string& p_strAttributes) {
    m_strText += "<" + p_strName + (p_strAttributes.empty() ? "" : " " + p_strAttributes) + ">" + escaped(p_strText) +
                 "</" + p_strName + ">";
    return *this;
}

void Writer::closeTo(size_t p_nDepth) {
    while (m_vecOpen.size() > p_nDepth) close();
}

std::string number(double p_dValue) {
    char szText[32];
    snprintf(szText, sizeof(szText), "%.10g", p_dValue);
    return szText;
}

}  // namespace onvifsoap
