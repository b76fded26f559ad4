// The first page of the wizard (page code 0): a greeting over a full-height
// picture and the language selector. Picking another language closes the
// sheet so that the start-up loop builds it again in that language. It is the
// one page without the wizard header.
#pragma once

#include "wizard/CPspEx.h"

class QComboBox;

namespace kelvane {

class CPspWelcome : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 8001;
  static constexpr std::uint32_t kPageCode = 0;
  // Controls of the template.
  static constexpr int kPicture = 6002;
  static constexpr int kHeading = 2000;
  static constexpr int kIntroduction = 2002;
  static constexpr int kLanguageLabel = 6037;
  static constexpr int kLanguageSelector = 6038;

  explicit CPspWelcome(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardNext() override;
  bool OnQueryCancel() override;

  QComboBox* Selector() const;

 private:
  void OnLanguageSelected(int index);
  void LayoutPicture();
};

}  // namespace kelvane
