#include "XmlText.h"

#include "XmlDepthGuard.h"

bool xmlLoadMem(TiXmlDocument& doc, const char* text, TiXmlEncoding encoding) {
    doc.Clear();
    if (!xmlguard::parseable(text, SNS_XML_MAX_DEPTH)) return false;
    doc.Parse(text, nullptr, encoding);
    if (doc.Error()) {
        doc.Clear();  // a failed parse leaves what it had read; callers go on with an empty document
        return false;
    }
    return true;
}

std::string xmlGetString(const TiXmlDocument& doc) {
    TiXmlPrinter objPrinter;
    doc.Accept(&objPrinter);
    return objPrinter.Str();
}
