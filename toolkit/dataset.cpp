#include "toolkit/dataset.h"

#include <algorithm>

namespace lantervo {

const ClassInfo& TFieldDef::StaticClass() {
  using T = TFieldDef;
  static const ClassInfo named("TNamedItem", &CollectionItem::StaticClass(),
                               {props::Text<T>(prop::Name, &T::Name, &T::SetName)});
  static const ClassInfo info("TFieldDef", &named,
                              {props::Other<T>(prop::DataType, &T::DataType, &T::SetDataType),
                               props::Other<T>(prop::Size, &T::Size, &T::SetSize)});
  return info;
}

void TFieldDef::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed(prop::Name);
}

void TFieldDef::SetDataType(std::int64_t type) {
  if (type == dataType_) return;
  dataType_ = type;
  Changed(prop::DataType);
}

void TFieldDef::SetSize(std::int64_t size) {
  if (size == size_) return;
  size_ = size;
  Changed(prop::Size);
}

const ClassInfo& TFieldDefs::StaticClass() {
  static const ClassInfo owned("TOwnedCollection", &Collection::StaticClass());
  static const ClassInfo defs("TDefCollection", &owned);
  static const ClassInfo info("TFieldDefs", &defs);
  return info;
}

TFieldDef& TFieldDefs::Add(const std::string& name, std::int64_t dataType, std::int64_t size) {
  TFieldDef& def = Collection::Add<TFieldDef>();
  def.SetName(name);
  def.SetDataType(dataType);
  def.SetSize(size);
  return def;
}

TFieldDef* TFieldDefs::Find(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    auto* def = static_cast<TFieldDef*>(Item(i));
    if (SameText(def->Name(), name)) return def;
  }
  return nullptr;
}

const ClassInfo& TParam::StaticClass() {
  using T = TParam;
  static const ClassInfo info("TParam", &CollectionItem::StaticClass(),
                              {props::Text<T>(prop::Name, &T::Name, &T::SetName),
                               props::Other<T>(prop::ParamType, &T::GetParamType, &T::SetParamType),
                               props::Text<T>(prop::Value, &T::Value, &T::SetValue)});
  return info;
}

void TParam::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed(prop::Name);
}

void TParam::SetParamType(std::int64_t type) {
  if (type == paramType_) return;
  paramType_ = type;
  Changed(prop::ParamType);
}

void TParam::SetValue(const std::string& value) {
  if (value == value_) return;
  value_ = value;
  Changed(prop::Value);
}

const ClassInfo& TParams::StaticClass() {
  static const ClassInfo info("TParams", &Collection::StaticClass());
  return info;
}

TParam& TParams::Add(const std::string& name, const std::string& value) {
  TParam& param = Collection::Add<TParam>();
  param.SetName(name);
  param.SetValue(value);
  return param;
}

const ClassInfo& TClientDataSet::StaticClass() {
  using T = TClientDataSet;
  static const ClassInfo dataSet("TDataSet", &Component::StaticClass());
  static const ClassInfo custom("TCustomClientDataSet", &dataSet);
  static const ClassInfo info(
      "TClientDataSet", &custom,
      {props::Other<T>(prop::Active, &T::Active), props::Object<T>(prop::FieldDefs, &T::FieldDefs),
       props::Object<T>(prop::Params, &T::Params)});
  return info;
}

TClientDataSet::TClientDataSet()
    : fieldDefs_(std::make_unique<TFieldDefs>(this)), params_(std::make_unique<TParams>(this)) {
  ForwardChanges(*fieldDefs_, prop::FieldDefs);
  ForwardChanges(*params_, prop::Params);
}

TClientDataSet::~TClientDataSet() {
  for (TField* f : std::vector<TField*>(fields_)) f->SetDataSet(nullptr);
}

void TClientDataSet::SetRows(DataRows* rows) {
  if (rows == Rows()) return;
  rows_ = rows ? MakeWeak(*rows) : WeakRef<DataRows>();
  rowsSubscription_ = rows ? rows->Subscribe([this](RowChanges changes) {
    lastRowChanges_ = changes;
    Changed(prop::Rows);
  })
                           : Subscription();
  Changed(prop::Active);
  lastRowChanges_ = rcAll;
  Changed(prop::Rows);
}

TField* TClientDataSet::FindField(std::string_view fieldName) const {
  for (TField* f : fields_)
    if (SameText(f->FieldName(), fieldName)) return f;
  return nullptr;
}

const ClassInfo& TField::StaticClass() {
  using T = TField;
  static const ClassInfo info(
      "TField", &Component::StaticClass(),
      {props::Other<T>(prop::Alignment, &T::GetAlignment, &T::SetAlignment),
       props::Text<T>(prop::DefaultExpression, &T::DefaultExpression, &T::SetDefaultExpression),
       props::Text<T>(prop::DisplayLabel, &T::DisplayLabel, &T::SetDisplayLabel),
       props::Other<T>(prop::DisplayWidth, &T::DisplayWidth, &T::SetDisplayWidth),
       props::Text<T>(prop::FieldName, &T::FieldName, &T::SetFieldName),
       props::Text<T>(prop::KeyFields, &T::KeyFields, &T::SetKeyFields),
       props::Text<T>(prop::LookupKeyFields, &T::LookupKeyFields, &T::SetLookupKeyFields),
       props::Text<T>(prop::LookupResultField, &T::LookupResultField, &T::SetLookupResultField),
       props::Text<T>(prop::Origin, &T::Origin, &T::SetOrigin),
       props::Other<T>(prop::ReadOnly, &T::ReadOnly, &T::SetReadOnly),
       props::Other<T>(prop::Required, &T::Required, &T::SetRequired),
       props::Other<T>(prop::Visible, &T::Visible, &T::SetVisible)});
  return info;
}

TField::~TField() {
  SetDataSet(nullptr);
}

void TField::SetDataSet(TClientDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) {
    std::erase(dataSet_->fields_, this);
    RemoveFreeNotification(dataSet_);
  }
  dataSet_ = dataSet;
  if (dataSet_) {
    dataSet_->fields_.push_back(this);
    FreeNotification(dataSet_);
  }
}

void TField::Notification(Component& removed) {
  if (&removed == dataSet_) dataSet_ = nullptr;
}

#define LANTERVO_SET(field, name) \
  if (value == field) return;     \
  field = value;                  \
  Changed(name);

void TField::SetFieldName(const std::string& value) {
  LANTERVO_SET(fieldName_, prop::FieldName)
}
void TField::SetDisplayWidth(std::int64_t value) {
  LANTERVO_SET(displayWidth_, prop::DisplayWidth)
}
void TField::SetAlignment(std::int64_t value) {
  LANTERVO_SET(alignment_, prop::Alignment)
}
void TField::SetVisible(bool value) {
  LANTERVO_SET(visible_, prop::Visible)
}
void TField::SetReadOnly(bool value) {
  LANTERVO_SET(readOnly_, prop::ReadOnly)
}
void TField::SetRequired(bool value) {
  LANTERVO_SET(required_, prop::Required)
}
void TField::SetOrigin(const std::string& value) {
  LANTERVO_SET(origin_, prop::Origin)
}
void TField::SetDefaultExpression(const std::string& value) {
  LANTERVO_SET(defaultExpression_, prop::DefaultExpression)
}
void TField::SetKeyFields(const std::string& value) {
  LANTERVO_SET(keyFields_, prop::KeyFields)
}
void TField::SetLookupKeyFields(const std::string& value) {
  LANTERVO_SET(lookupKeyFields_, prop::LookupKeyFields)
}
void TField::SetLookupResultField(const std::string& value) {
  LANTERVO_SET(lookupResultField_, prop::LookupResultField)
}

#undef LANTERVO_SET

void TField::SetDisplayLabel(const std::string& label) {
  // Like the field name, an empty label means "show the field name".
  const std::string stored = label == fieldName_ ? std::string() : label;
  if (stored == displayLabel_) return;
  displayLabel_ = stored;
  Changed(prop::DisplayLabel);
}

std::string TField::TextAt(int row) const {
  DataRows* rows = dataSet_ ? dataSet_->Rows() : nullptr;
  return rows ? rows->TextAt(row, fieldName_) : std::string();
}

const ClassInfo& TStringField::StaticClass() {
  static const ClassInfo info(
      "TStringField", &TField::StaticClass(),
      {props::Other<TStringField>(prop::Size, &TStringField::Size, &TStringField::SetSize)});
  return info;
}

void TStringField::SetSize(std::int64_t size) {
  if (size == size_) return;
  size_ = size;
  Changed(prop::Size);
}

const ClassInfo& TIntegerField::StaticClass() {
  static const ClassInfo numeric("TNumericField", &TField::StaticClass());
  static const ClassInfo info("TIntegerField", &numeric);
  return info;
}

const ClassInfo& TBooleanField::StaticClass() {
  static const ClassInfo info("TBooleanField", &TField::StaticClass());
  return info;
}

}  // namespace lantervo
