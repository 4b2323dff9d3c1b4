#include "halloffame/HeroRecord.h"

namespace zarviki {

QString heroNamePath() { return {}; }
QString heroAboutPath() { return {}; }

}  // namespace zarviki
