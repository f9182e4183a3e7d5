#pragma once
// File names between Qt and the file system: the bytes the file system takes, whole. A name
// never goes through Latin-1, where "Łódź" would become "?ód?" and name another file.

#include <QString>
#include <string>
#include <string_view>

namespace tovix {

std::string FileNameBytes(const QString& name);
QString FileNameText(std::string_view bytes);

}  // namespace tovix
