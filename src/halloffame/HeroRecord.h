#pragma once
// The hero record: two one-line Windows-1251 text files, the hero-name file and the hero-about file.

#include <QString>

namespace zarviki {

// Where the two record files live; both hall-of-fame windows use these two paths.
QString heroNamePath();
QString heroAboutPath();

}  // namespace zarviki
