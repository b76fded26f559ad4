#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace kelvane {

QString QtTranslations::LocaleName(std::uint32_t languageId) {
  switch (languageId) {
    case 1028: return QStringLiteral("zh_TW");
    case 1030: return QStringLiteral("da");
    case 1043: return QStringLiteral("nl");
    case 1036: return QStringLiteral("fr");
    case 1031: return QStringLiteral("de");
    case 1032: return QStringLiteral("el");
    case 1040: return QStringLiteral("it");
    case 1042: return QStringLiteral("ko");
    case 1046: return QStringLiteral("pt_BR");
    case 1049: return QStringLiteral("ru");
    case 1060: return QStringLiteral("sl");
    case 3082: return QStringLiteral("es");
    case 1053: return QStringLiteral("sv");
    default: return QStringLiteral("en");
  }
}

QtTranslations::QtTranslations(std::uint32_t languageId) {
  const QLocale locale(LocaleName(languageId));
  QLocale::setDefault(locale);
  loaded_ = translator_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (loaded_) QCoreApplication::installTranslator(&translator_);
}

QtTranslations::~QtTranslations() {
  if (loaded_) QCoreApplication::removeTranslator(&translator_);
}

}  // namespace kelvane
