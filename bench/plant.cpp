// SPDX-License-Identifier: GPL-3.0-or-later
// The Run loop with the plant link publishing to a real mosquitto (each message written to
// the outbox file beside the settings file as well) and without it, in one run: paced at
// 115200 baud over a pty (as a share of the line's limit), unpaced over TCP (frames per
// second and processor time per frame), and the frames a subscriber misses when the
// broker is restarted during a Run. Prints key=value figures; never fails on its numbers.

#include "base/control_ids.h"
#include "base/state.h"
#include "bench_support.h"
#include "display/measure.h"
#include "harness/broker_process.h"
#include "plant/plant_link.h"
#include "ui/runtime.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cstdio>
#include <set>

namespace {

void publishing(bool on, int port)
{
    plantSettings = PlantSettings{};
    plantSettings.enabled = on;
    plantSettings.port = port;
    PlantApplySettings();
    WaitWithEvents([&] { return !on || PlantLink().stateText().rfind("MQTT: connected", 0) == 0; }, 10);
}

} // namespace

int main(int argc, char **argv)
{
    BenchProgram program(argc, argv);
    if (!program.ok())
        return 1;
    ui::DisplayPanel(pPA);
    BrokerProcess broker;
    if (!broker.start(program.dir(),
                      "persistence true\npersistence_location " + program.dir() + "/\nmax_queued_messages 0\n")) {
        std::fprintf(stderr, "broker: %s\n", broker.error().c_str());
        return 1;
    }

    // Paced: off and on in turn, in the order off-on-on-off-off-on-on-off, so that a drift of
    // the machine's load and the order itself fall on both alike.
    const double runLimit = 11520.0 / 56.0; // 8 + 48 bytes per frame
    double pacedOff = -1, pacedOn = -1;
    {
        SimProcess sim;
        if (program.startLinkAndIdentify(sim, true, {"--baud", "115200"})) {
            PressLoop(panels::MAIN_RUN, 50);
            double sum[2] = {0, 0};
            for (int i = 0; i < 8; ++i) {
                const bool on = (i % 4 == 1) || (i % 4 == 2);
                publishing(on, broker.port());
                sum[on] += PressLoop(panels::MAIN_RUN, 300).perSecond;
            }
            pacedOff = sum[0] / 4 / runLimit;
            pacedOn = sum[1] / 4 / runLimit;
            CloseBenchLink();
        }
    }

    LoopFigures unpacedOff, unpacedOn;
    long lost = -1;
    {
        SimProcess sim;
        if (program.startLinkAndIdentify(sim, false)) {
            publishing(false, broker.port());
            PressLoop(panels::MAIN_RUN, 1000);
            unpacedOff = PressLoop(panels::MAIN_RUN, 20000);
            publishing(true, broker.port());
            unpacedOn = PressLoop(panels::MAIN_RUN, 20000);

            // A persistent subscriber keeps its session across the restart: what it misses,
            // the link lost.
            MqttSubscriber sub;
            if (sub.connect(broker.port(), "k-vor-mq/+/measurement", "bench-plant-sub")) {
                const std::uint64_t first = plantFrameSeq + 1;
                QTimer::singleShot(500, [&] { broker.stop(); });
                QTimer::singleShot(3500, [&] { broker.restart(); });
                QTimer::singleShot(5000, [] { stop_flag = 1; });
                ui::SimulateEvent(pPA, panels::MAIN_RUN, ui::EVENT_LEFT_CLICK);
                ui::SimulateEvent(pPA, panels::MAIN_RUN, ui::EVENT_COMMIT);
                const std::uint64_t last = plantFrameSeq;
                const auto seqOf = [](const MqttMessage &m) {
                    return static_cast<std::uint64_t>(
                        QJsonDocument::fromJson(QByteArray::fromStdString(m.payload)).object()["seq"].toInteger());
                };
                sub.waitFor(
                    [&](const MqttSubscriber &s) {
                        const auto m = s.messages();
                        return !m.empty() && seqOf(m.back()) == last;
                    },
                    60);
                std::set<std::uint64_t> seen;
                for (const MqttMessage &m : sub.messages())
                    if (seqOf(m) >= first && seqOf(m) <= last)
                        seen.insert(seqOf(m));
                lost = static_cast<long>(last - first + 1 - seen.size());
            }
            plantSettings = PlantSettings{};
            PlantApplySettings();
            CloseBenchLink();
        }
    }
    std::printf("plant_unpaced_per_s_off=%.0f plant_unpaced_per_s_on=%.0f plant_cpu_ms_per_frame_off=%.3f\n",
                unpacedOff.perSecond, unpacedOn.perSecond, unpacedOff.cpuMsPerFrame);
    std::printf("plant_paced_ratio_on=%.3f plant_paced_ratio_off=%.3f plant_cpu_ms_per_frame_on=%.3f "
                "plant_lost_on_restart=%ld\n",
                pacedOn, pacedOff, unpacedOn.cpuMsPerFrame, lost);
    broker.stop();
    return 0;
}
