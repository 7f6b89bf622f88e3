# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
"""The release's notices and bill of materials, derived from the link map.

    notices.py check MAP EXE LINKMAP_EXE
        every archive and start-up object the map names is listed in
        components.ini, comes from the Debian package named there, and its
        notice can be made; the exe linked with the map is the shipped exe
    notices.py write MAP EXE VERSION LIBDEFLATE_SOURCE OUT_DIR
        the check, then OUT_DIR/THIRD-PARTY-NOTICES.txt and
        OUT_DIR/pixelzaun.spdx.json (SOURCE_DATE_EPOCH gives its time)

The notices are copied from the copyright files the packages install, never
typed here, so that they follow the packages: components.ini says which file
and which part of it.
"""
import configparser
import datetime
import hashlib
import json
import os
import re
import subprocess
import sys
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
COMPONENTS = os.path.join(HERE, "components.ini")
COMPONENTS_NAME = "scripts/notices/components.ini"


class ReleaseError(Exception):
    pass


def load_components():
    parser = configparser.ConfigParser(interpolation=None, comment_prefixes=("#",))
    parser.optionxform = str
    with open(COMPONENTS, encoding="utf-8") as f:
        parser.read_file(f)
    components = []
    for name in parser.sections():
        section = parser[name]
        components.append({
            "name": name,
            "archives": section.get("archives", "").split(),
            "package": section.get("package", "").strip(),
            "source": section.get("source", "").strip(),
            "licence": section.get("licence", "").strip(),
            "notice": [line.strip() for line in section.get("notice", "").splitlines() if line.strip()],
        })
    return components


def linked_inputs(map_path):
    """The archives the linker took members from and the object files it loaded, in map order."""
    with open(map_path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    inputs = []
    def add(path):
        if path not in inputs:
            inputs.append(path)
    try:
        start = lines.index("Archive member included to satisfy reference by file (symbol)")
    except ValueError:
        raise ReleaseError(f"{map_path}: not a GNU ld link map (no archive member section)")
    for line in lines[start + 1:]:
        if line and not line[0].isspace():
            m = re.match(r"(.+?\.a)\(", line)
            if m:
                add(m.group(1))
            elif line.startswith(("Discarded input sections", "Memory Configuration", "Allocating common")):
                break
    for line in lines:
        # Object files given on the link line; archives loaded but never used are not in the program.
        if line.startswith("LOAD ") and line.endswith((".o", ".obj")):
            add(line[5:])
    return inputs


def package_of(path, build_dir):
    full = path if os.path.isabs(path) else os.path.join(build_dir, path)
    full = os.path.realpath(full)
    if not full.startswith("/usr/"):
        return None  # built here
    out = subprocess.run(["dpkg-query", "-S", full], capture_output=True, text=True)
    if out.returncode != 0:
        return "(no package)"
    return out.stdout.split(":")[0].strip()


def assign(inputs, components, build_dir):
    """Each linked file's components; stops naming every file that has none."""
    by_archive = {}
    for c in components:
        for a in c["archives"]:
            by_archive.setdefault(a, []).append(c)
    used = {}
    problems = []
    for path in inputs:
        base = os.path.basename(path)
        owners = by_archive.get(base)
        if not owners:
            problems.append(f"{base} ({path}) is linked into the program but no section of "
                            f"{COMPONENTS_NAME} lists it: add its component and notice")
            continue
        # A file from a package belongs to that package's component; one built
        # here to a component built here (stb's headers are compiled into ours).
        packages = [c["package"] for c in owners if c["package"]]
        actual = package_of(path, build_dir)
        if actual and actual not in packages:
            problems.append(f"{base} ({path}) comes from the package {actual}, not from "
                            f"{', '.join(packages) or 'this build'} as {COMPONENTS_NAME} says")
        if not actual and all(c["package"] for c in owners):
            problems.append(f"{base} ({path}) is built here, yet {COMPONENTS_NAME} says it comes from "
                            f"{', '.join(packages)}")
        for c in owners:
            used.setdefault(c["name"], {"component": c, "archives": []})["archives"].append(base)
            if c["name"] != "pixelzaun" and not c["notice"]:
                problems.append(f"{base}: component {c['name']} in {COMPONENTS_NAME} has no notice")
    if problems:
        raise ReleaseError("\n".join(problems))
    return [used[c["name"]] for c in components if c["name"] in used]


def dep5_paragraphs(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    paragraphs = []
    for raw in re.split(r"\n[ \t]*\n", text.strip("\n")):
        fields = {}
        key = None
        for line in raw.splitlines():
            if line[:1] in (" ", "\t") and key:
                fields[key] += "\n" + line
            elif ":" in line:
                key, value = line.split(":", 1)
                fields[key] = value.strip()
        paragraphs.append({"raw": raw, "fields": fields})
    return paragraphs


def dep5_notice(path, patterns, copyright_lines):
    """The chosen paragraphs and the licence texts they name; their Copyright lines go to copyright_lines."""
    wanted = [p for p in patterns if not p.startswith("!")]
    left_out = [p[1:] for p in patterns if p.startswith("!")]
    paragraphs = dep5_paragraphs(path)
    if "Format" not in paragraphs[0]["fields"]:
        raise ReleaseError(f"{path} is not a machine-readable copyright file")
    chosen = []
    for p in paragraphs:
        files = p["fields"].get("Files", "").split()
        if not files:
            continue
        if any(f.startswith(l) for f in files for l in left_out):
            continue
        if any(f == w if w == "*" else f.startswith(w) for f in files for w in wanted):
            chosen.append(p)
    if not chosen:
        raise ReleaseError(f"{path}: no Files paragraph under {' '.join(patterns)}")
    # Licence texts given once at the end of the file, for paragraphs that only name them.
    standalone = {p["fields"]["License"].split("\n")[0].strip(): p for p in paragraphs
                  if "License" in p["fields"] and "Files" not in p["fields"] and "Format" not in p["fields"]}
    needed = []
    for p in chosen:
        licence = p["fields"].get("License", "")
        if "\n" in licence:
            continue  # the text is in the paragraph
        for name in re.split(r"\s+(?:and|or)\s+", licence.strip()):
            if name in standalone and standalone[name] not in needed:
                needed.append(standalone[name])
            elif name not in standalone:
                raise ReleaseError(f"{path}: no text for the licence {name}")
    for p in chosen:
        for line in p["fields"].get("Copyright", "").splitlines():
            if line.strip() and line.strip() not in copyright_lines:
                copyright_lines.append(line.strip())
    return "\n\n".join(p["raw"] for p in chosen + needed)


def lines_notice(path, first, before):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    start = next((i for i, l in enumerate(lines) if l.startswith(first)), None)
    if start is None:
        raise ReleaseError(f"{path}: no line starts with {first!r}")
    end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith(before)), None)
    if end is None:
        raise ReleaseError(f"{path}: no line after {first!r} starts with {before!r}")
    return "\n".join(lines[start:end]).strip("\n")


def notice_text(component, libdeflate_source):
    """The component's notice, and the Copyright lines of the DEP-5 paragraphs it took."""
    pieces = []
    copyright_lines = []
    for source_line in component["notice"]:
        source_line = source_line.replace("{libdeflate}", libdeflate_source)
        kind, _, rest = source_line.partition(" ")
        path, _, args = rest.strip().partition(" ")
        if not os.path.isfile(path):
            raise ReleaseError(f"component {component['name']}: {path} is missing")
        if kind == "file":
            with open(path, encoding="utf-8") as f:
                pieces.append(f.read().strip("\n"))
        elif kind == "dep5":
            pieces.append(dep5_notice(path, args.split(), copyright_lines))
        elif kind == "lines":
            first, _, before = args.partition(" | ")
            pieces.append(lines_notice(path, first.strip(), before.strip()))
        else:
            raise ReleaseError(f"component {component['name']}: unknown notice kind {kind!r}")
    return "\n\n".join(pieces), copyright_lines


def version_of(component, libdeflate_source):
    """The version and the architecture (source for a source package)."""
    if component["package"]:
        out = subprocess.run(["dpkg-query", "-W", "-f=${Version} ${Architecture}", component["package"]],
                             capture_output=True, text=True, check=True)
        version, arch = out.stdout.split()
        return version, arch
    if component["source"] == "libdeflate":
        out = subprocess.run(["dpkg-parsechangelog", "-l", os.path.join(libdeflate_source, "debian/changelog"),
                              "-S", "Version"], capture_output=True, text=True, check=True)
        return out.stdout.strip(), "source"
    raise ReleaseError(f"component {component['name']}: neither package nor source")


def sha(path, algorithm):
    h = hashlib.new(algorithm)
    with open(path, "rb") as f:
        h.update(f.read())
    return h.hexdigest()


def own_copyright():
    with open(os.path.join(HERE, "..", "..", "LICENSE"), encoding="utf-8") as f:
        return next(line.strip() for line in f if line.startswith("Copyright"))


def spdx_id(name):
    return "SPDXRef-Package-" + re.sub(r"[^A-Za-z0-9.-]", "-", name)


def component_package(entry):
    c = entry["component"]
    v = entry["version"]
    package = c["package"] or c["source"]
    purl = f"pkg:deb/debian/{package}@{urllib.parse.quote(v, safe='~')}?arch={entry['arch']}"
    return {
        "SPDXID": spdx_id(c["name"]),
        "name": c["name"],
        "versionInfo": v,
        "supplier": "Organization: Debian",
        "downloadLocation": "NOASSERTION",
        "filesAnalyzed": False,
        "sourceInfo": (f"Debian source package {package} {v}, built with the program" if c["source"]
                       else f"Debian package {package} {v}") + ": " + ", ".join(entry["archives"]),
        "licenseConcluded": c["licence"],
        "licenseDeclared": c["licence"],
        "copyrightText": "\n".join(entry["copyright"]) or "NOASSERTION",
        "externalRefs": [{"referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl", "referenceLocator": purl}],
    }


def bill_of_materials(exe, version, used, notices, epoch):
    created = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
    exe_sha256 = sha(exe, "sha256")
    program_id = spdx_id("pixelzaun")
    packages = [{
        "SPDXID": program_id,
        "name": "pixelzaun",
        "versionInfo": version,
        "supplier": "Organization: The Pixelzaun authors",
        "downloadLocation": "NOASSERTION",
        "filesAnalyzed": True,
        "packageVerificationCode": {"packageVerificationCodeValue": hashlib.sha1(sha(exe, "sha1").encode()).hexdigest()},
        "licenseConcluded": "MIT",
        "licenseDeclared": "MIT",
        "licenseInfoFromFiles": ["NOASSERTION"],
        "copyrightText": own_copyright(),
        "primaryPackagePurpose": "APPLICATION",
        "hasFiles": ["SPDXRef-File-pixelzaun.exe"],
    }]
    relationships = [
        {"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES", "relatedSpdxElement": program_id},
    ]
    extracted = []
    for entry in used:
        c = entry["component"]
        packages.append(component_package(entry))
        relationships.append({"spdxElementId": "SPDXRef-File-pixelzaun.exe", "relationshipType": "STATIC_LINK",
                              "relatedSpdxElement": spdx_id(c["name"])})
        for ref in re.findall(r"LicenseRef-[A-Za-z0-9.-]+", c["licence"]):
            extracted.append({"licenseId": ref, "name": ref, "extractedText": notices[c["name"]],
                              "comment": f"The terms of {c['name']} besides those named by SPDX identifiers, "
                                         "as its Debian copyright file gives them"})
    document = {
        "spdxVersion": "SPDX-2.3",
        "dataLicense": "CC0-1.0",
        "SPDXID": "SPDXRef-DOCUMENT",
        "name": f"pixelzaun-{version}-win64",
        "documentNamespace": f"https://spdx.org/spdxdocs/pixelzaun-{version}-win64-{exe_sha256}",
        "creationInfo": {"created": created, "creators": ["Organization: The Pixelzaun authors",
                                                          "Tool: scripts/notices/notices.py"]},
        "packages": packages,
        "files": [{
            "SPDXID": "SPDXRef-File-pixelzaun.exe",
            "fileName": "./pixelzaun.exe",
            "fileTypes": ["BINARY", "APPLICATION"],
            "checksums": [{"algorithm": "SHA1", "checksumValue": sha(exe, "sha1")},
                          {"algorithm": "SHA256", "checksumValue": exe_sha256}],
            "licenseConcluded": "NOASSERTION",
            "licenseInfoInFiles": ["NOASSERTION"],
            "copyrightText": "NOASSERTION",
        }],
        "relationships": relationships,
    }
    if extracted:
        document["hasExtractedLicensingInfos"] = extracted
    return json.dumps(document, indent=2, ensure_ascii=False) + "\n"


def check(map_path, exe, linkmap_exe, libdeflate_source=None):
    if sha(exe, "sha256") != sha(linkmap_exe, "sha256"):
        raise ReleaseError(f"{linkmap_exe}, linked with the map, differs from {exe}: "
                           "the map does not describe the program")
    used = assign(linked_inputs(map_path), load_components(), os.path.dirname(os.path.abspath(map_path)))
    for entry in used:
        c = entry["component"]
        if c["name"] == "pixelzaun":
            continue
        if c["source"] and libdeflate_source is None:
            continue  # its notice lies in the build folder; write checks it
        entry["notice"], entry["copyright"] = notice_text(c, libdeflate_source or "")
    return used


def run_check(map_path, exe, linkmap_exe):
    source = os.path.join(os.path.dirname(os.path.abspath(map_path)), "..", "imaging", "libdeflate")
    found = [os.path.join(source, d) for d in sorted(os.listdir(source)) if d.startswith("libdeflate-")] \
        if os.path.isdir(source) else []
    for entry in check(map_path, exe, linkmap_exe, found[0] if found else None):
        print(f"{entry['component']['name']}: {' '.join(entry['archives'])}")


def notices_file(version, used):
    sections = []
    for entry in used:
        c = entry["component"]
        origin = (f"Debian source package {c['source']} {entry['version']}" if c["source"]
                  else f"Debian package {c['package']} {entry['version']}")
        sections.append(f"{'=' * 78}\n{c['name']} ({c['licence']})\n"
                        f"{origin}; in the program: {', '.join(entry['archives'])}\n"
                        f"{'=' * 78}\n\n{entry['notice']}\n")
    header = (f"Pixelzaun {version}: notices of the third-party code linked into pixelzaun.exe\n\n"
              "The program is linked statically. These are the parts of other projects it contains,\n"
              "each with its copyright lines and licence as the Debian package it was built from\n"
              "gives them. Pixelzaun's own licence is in LICENSE.txt.\n")
    return header + "\n" + "\n".join(sections)


def run_write(map_path, exe, version, libdeflate_source, out_dir):
    used = [e for e in check(map_path, exe, exe, libdeflate_source) if e["component"]["name"] != "pixelzaun"]
    for entry in used:
        entry["version"], entry["arch"] = version_of(entry["component"], libdeflate_source)
    notices = {e["component"]["name"]: e["notice"] for e in used}
    # Windows line endings, for Notepad.
    with open(os.path.join(out_dir, "THIRD-PARTY-NOTICES.txt"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write(notices_file(version, used))
    with open(os.path.join(out_dir, "pixelzaun.spdx.json"), "w", encoding="utf-8") as f:
        f.write(bill_of_materials(exe, version, used, notices, int(os.environ["SOURCE_DATE_EPOCH"])))


def main(argv):
    try:
        if len(argv) == 5 and argv[1] == "check":
            run_check(*argv[2:])
            return 0
        if len(argv) == 7 and argv[1] == "write":
            run_write(*argv[2:])
            return 0
    except ReleaseError as e:
        print(f"release notices: {e}", file=sys.stderr)
        return 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
