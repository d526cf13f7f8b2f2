// Embedded resources of the deliverables, found by type and name and read as bytes.
//
// Each deliverable compiles resources/<Deliverable>.qrc into itself; its files sit at
//     :/<Deliverable>/<TYPE>/<NAME>
// for example :/XrRichTextBox/USDICTIONARY/A, :/XrRichTextBox/HELP/101, :/Scrivet/CUSTOM/101.
// Types and names are written in upper case in the .qrc, numeric names as their decimal text
// ("101"); a lookup compares them without regard to case ("q" finds "Q"). Pictures are of the
// type "BITMAP" or "ICON", string resources of the type "STRING" (UTF-8 text), sounds "WAVE".
// The deliverable's folder name is matched exactly.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace host {

// The whole resource, byte for byte; an empty optional when the deliverable has no such
// resource (or the type or name holds a path separator).
std::optional<QByteArray> resourceData(const QString& deliverable, const QString& type,
                                       const QString& name);
std::optional<QByteArray> resourceData(const QString& deliverable, const QString& type, int id);

}  // namespace host
