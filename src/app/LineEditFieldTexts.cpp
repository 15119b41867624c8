#include "app/LineEditFieldTexts.h"

#include <QLineEdit>
#include <QString>
#include <stdexcept>

namespace quillmere {

void LineEditFieldTexts::Add(std::string_view field, QLineEdit* edit) {
  edits_.insert_or_assign(std::string(field), edit);
}

QLineEdit* LineEditFieldTexts::Edit(std::string_view field) const {
  const auto it = edits_.find(field);
  return it == edits_.end() ? nullptr : it->second;
}

QLineEdit& LineEditFieldTexts::Existing(std::string_view field) const {
  QLineEdit* edit = Edit(field);
  if (edit == nullptr) throw std::out_of_range("No input field " + std::string(field));
  return *edit;
}

std::string LineEditFieldTexts::Text(std::string_view field) const {
  return Existing(field).text().toStdString();
}

void LineEditFieldTexts::SetText(std::string_view field, std::string_view text) {
  Existing(field).setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

bool LineEditFieldTexts::IsEnabled(std::string_view field) const {
  return Existing(field).isEnabled();
}

}  // namespace quillmere
