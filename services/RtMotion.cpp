// The motion wrapper and the manager it wraps.
#include "services/RtMotion.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/core/Text.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtMap.h"

namespace zemtra {

using platform::MotionKind;

namespace {

std::shared_ptr<RtArray> doubles(std::initializer_list<double> values) {
    std::vector<Value> boxed;
    boxed.reserve(values.size());
    for (const double value : values) boxed.push_back(Value::ofDouble(value));
    return RtArray::ofValues(std::move(boxed));
}

}  // namespace

MotionManager::MotionManager(std::shared_ptr<platform::MotionSource> source)
    : source_(std::move(source)) {}

MotionManager::~MotionManager() {
    for (const MotionKind kind : platform::kMotionKinds) stop(kind);
}

void MotionManager::start(MotionKind kind) {
    if (updates_.running(kind)) return;
    updates_.start(kind);
    source_->start(kind);
}

void MotionManager::stop(MotionKind kind) {
    if (updates_.stop(kind)) source_->stop(kind);
}

std::optional<platform::MagneticField> MotionManager::magneticField() const {
    if (!updates_.everStarted(MotionKind::magnetometer)) return std::nullopt;
    return source_->latestMagneticField();
}

std::optional<platform::DeviceMotion> MotionManager::deviceMotion() const {
    if (!updates_.everStarted(MotionKind::deviceMotion)) return std::nullopt;
    return source_->latestDeviceMotion();
}

const MethodTable* RtMotion::methods() const {
    static const MethodTable table{
        MethodTable::operation("IsInitialized", &RtMotion::IsInitialized),
        MethodTable::operation("Initialize", &RtMotion::Initialize),
        MethodTable::operation("Start", &RtMotion::Start),
        MethodTable::operation("Stop", &RtMotion::Stop),
        MethodTable::operation("StartMagnetometer", &RtMotion::StartMagnetometer),
        MethodTable::operation("StopMagnetometer", &RtMotion::StopMagnetometer),
        MethodTable::operation("GetMagnetometer", &RtMotion::GetMagnetometer),
        MethodTable::operation("GetUserAcceleration", &RtMotion::GetUserAcceleration),
        MethodTable::operation("GetAttitude", &RtMotion::GetAttitude),
        MethodTable::operation("Status", &RtMotion::Status),
    };
    return &table;
}

MotionManager* RtMotion::manager() const {
    return static_cast<MotionManager*>(objectOrNull().get());
}

void RtMotion::Initialize() {
    auto source = RuntimeScope::current().get<platform::MotionSource>();
    setObject(Value(std::make_shared<MotionManager>(std::move(source))));
}

void RtMotion::Start() {
    if (MotionManager* wrapped = manager()) wrapped->start(MotionKind::deviceMotion);
}

void RtMotion::Stop() {
    if (MotionManager* wrapped = manager()) wrapped->stop(MotionKind::deviceMotion);
}

void RtMotion::StartMagnetometer() {
    if (MotionManager* wrapped = manager()) wrapped->start(MotionKind::magnetometer);
}

void RtMotion::StopMagnetometer() {
    if (MotionManager* wrapped = manager()) wrapped->stop(MotionKind::magnetometer);
}

std::shared_ptr<RtArray> RtMotion::GetMagnetometer() const {
    const MotionManager* wrapped = manager();
    const auto field = wrapped ? wrapped->magneticField() : std::nullopt;
    if (!field) return doubles({});
    return doubles({field->x, field->y, field->z});
}

std::shared_ptr<RtArray> RtMotion::GetUserAcceleration() const {
    return deviceMotionTriple([](const platform::DeviceMotion& motion) {
        const platform::Acceleration& a = motion.userAcceleration;
        return std::array{a.x, a.y, a.z};
    });
}

std::shared_ptr<RtArray> RtMotion::GetAttitude() const {
    return deviceMotionTriple([](const platform::DeviceMotion& motion) {
        const platform::Attitude& attitude = motion.attitude;
        return std::array{attitude.yaw, attitude.pitch, attitude.roll};
    });
}

std::shared_ptr<RtArray> RtMotion::deviceMotionTriple(
    const std::function<std::array<double, 3>(const platform::DeviceMotion&)>& pick) const {
    const MotionManager* wrapped = manager();
    const auto motion = wrapped ? wrapped->deviceMotion() : std::nullopt;
    if (!motion) return doubles({0, 0, 0});
    const auto [first, second, third] = pick(*motion);
    return doubles({first, second, third});
}

std::shared_ptr<RtMap> RtMotion::Status() const {
    const MotionManager* wrapped = manager();
    const platform::MotionSourceStatus status =
        wrapped ? wrapped->status() : platform::MotionSourceStatus{};
    auto map = RtMap::create();
    map->Put(Value(u"Description"), Value(fromUtf8(status.description)));
    map->Put(Value(u"Simulated"), Value::ofBoolean(status.simulated));
    map->Put(Value(u"Lost"), Value::ofBoolean(status.lost));
    map->Put(Value(u"Reason"), Value(fromUtf8(status.reason)));
    map->Put(Value(u"SamplesPerSecond"), Value::ofDouble(status.samplesPerSecond));
    map->Put(Value(u"Changes"), Value::ofLong(static_cast<int64_t>(status.changes)));
    return map;
}

}  // namespace zemtra
