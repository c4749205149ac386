#!/usr/bin/python3
"""Checks that every public operation of the product headers carries the reference's shape.

Reads the XML that Doxygen writes beside the HTML. Each public function, member or free, must have a brief
description (what it does), @return unless it returns nothing, and the paragraphs "Lock", "Threads" and
"Before init and after uinit". Prints each gap and exits 1 when there is one.

usage: CheckApiDocs.py XML_DIR
"""
import glob
import os
import sys
import xml.etree.ElementTree as ET

PARAGRAPHS = ("Lock", "Threads", "Before init and after uinit")


def text(node):
    return "".join(node.itertext()).strip() if node is not None else ""


def gaps(member):
    found = []
    if not text(member.find("briefdescription")):
        found.append("no brief description")
    detail = member.find("detaileddescription")
    kinds = [s.get("kind") for s in detail.iter("simplesect")]
    titles = [text(s.find("title")) for s in detail.iter("simplesect") if s.get("kind") == "par"]
    # Constructors and destructors have no type; "void" returns nothing.
    returns_nothing = text(member.find("type")) in ("", "void")
    if not returns_nothing and "return" not in kinds:
        found.append("no @return")
    for title in PARAGRAPHS:
        if title not in titles:
            found.append('no "%s" paragraph' % title)
    return found


def main(xml_dir):
    problems = []
    count = 0
    incomplete = 0
    for path in sorted(glob.glob(os.path.join(xml_dir, "*.xml"))):
        root = ET.parse(path).getroot()
        for compound in root.iter("compounddef"):
            if compound.get("kind") not in ("class", "struct", "file"):
                continue
            owner = text(compound.find("compoundname"))
            for section in compound.iter("sectiondef"):
                kind = section.get("kind")
                # Member groups (@name) are sections of their own; the member's protection decides.
                if not (kind.startswith("public") or kind in ("func", "user-defined")):
                    continue
                for member in section.iter("memberdef"):
                    if member.get("kind") != "function" or member.get("prot") != "public":
                        continue
                    # Deleted copies are no operations.
                    if "=delete" in text(member.find("argsstring")).replace(" ", ""):
                        continue
                    count += 1
                    member_gaps = gaps(member)
                    incomplete += 1 if member_gaps else 0
                    for gap in member_gaps:
                        where = member.find("location")
                        problems.append("%s:%s: %s%s: %s" % (where.get("file"), where.get("line"),
                                                             owner + "::" if compound.get("kind") != "file" else "",
                                                             text(member.find("name")), gap))
    for problem in problems:
        print(problem)
    if count == 0:
        print("no public operation found in %s" % xml_dir)
        return 1
    print("%d public operations, %d without their whole shape" % (count, incomplete))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
