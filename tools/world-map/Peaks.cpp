// Well-known peaks, with their commonly published summit positions and heights above sea level.
// The sample installation lies in Switzerland, so the Alps are given more generously.

#include "tools/world-map/WorldMapWriter.h"

namespace worldmap {
namespace {

constexpr Peak kPeaks[] = {
    {"Mont Blanc", "Alps", 45.8326, 6.8652, 4808},
    {"Dufourspitze", "Alps", 45.9369, 7.8668, 4634},
    {"Dom", "Alps", 46.0939, 7.8586, 4545},
    {"Weisshorn", "Alps", 46.1014, 7.7161, 4506},
    {"Matterhorn", "Alps", 45.9763, 7.6586, 4478},
    {"Grand Combin", "Alps", 45.9375, 7.2992, 4314},
    {"Finsteraarhorn", "Alps", 46.5372, 8.1261, 4274},
    {"Jungfrau", "Alps", 46.5367, 7.9622, 4158},
    {"Piz Bernina", "Alps", 46.3822, 9.9081, 4049},
    {"Eiger", "Alps", 46.5775, 8.0053, 3967},
    {"Ortler", "Alps", 46.5089, 10.5447, 3905},
    {"Grossglockner", "Alps", 47.0742, 12.6947, 3798},
    {"Toedi", "Alps", 46.8114, 8.9147, 3614},
    {"Dammastock", "Alps", 46.6431, 8.4206, 3630},
    {"Titlis", "Alps", 46.7722, 8.4269, 3238},
    {"Zugspitze", "Alps", 47.4211, 10.9853, 2962},
    {"Saentis", "Alps", 47.2494, 9.3431, 2502},
    {"Pilatus", "Alps", 46.9789, 8.2539, 2128},
    {"Triglav", "Alps", 46.3783, 13.8367, 2864},
    {"Aneto", "Pyrenees", 42.6314, 0.6575, 3404},
    {"Mulhacen", "Sierra Nevada", 37.0531, -3.3114, 3479},
    {"Etna", "Sicily", 37.7510, 14.9934, 3357},
    {"Mount Olympus", "Balkans", 40.0859, 22.3583, 2918},
    {"Musala", "Balkans", 42.1794, 23.5850, 2925},
    {"Ben Nevis", "Scotland", 56.7969, -5.0036, 1345},
    {"Galdhoepiggen", "Scandinavia", 61.6364, 8.3125, 2469},
    {"Elbrus", "Caucasus", 43.3550, 42.4392, 5642},
    {"Ararat", "Armenian Highlands", 39.7019, 44.2983, 5137},
    {"Damavand", "Alborz", 35.9519, 52.1100, 5610},
    {"Mount Everest", "Himalaya", 27.9881, 86.9250, 8849},
    {"K2", "Himalaya", 35.8825, 76.5133, 8611},
    {"Kangchenjunga", "Himalaya", 27.7025, 88.1475, 8586},
    {"Lhotse", "Himalaya", 27.9617, 86.9333, 8516},
    {"Makalu", "Himalaya", 27.8897, 87.0888, 8485},
    {"Cho Oyu", "Himalaya", 28.0942, 86.6608, 8188},
    {"Dhaulagiri", "Himalaya", 28.6983, 83.4875, 8167},
    {"Manaslu", "Himalaya", 28.5497, 84.5597, 8163},
    {"Nanga Parbat", "Himalaya", 35.2375, 74.5892, 8126},
    {"Annapurna", "Himalaya", 28.5958, 83.8203, 8091},
    {"Mount Fuji", "Japan", 35.3606, 138.7274, 3776},
    {"Kinabalu", "Borneo", 6.0750, 116.5583, 4095},
    {"Puncak Jaya", "New Guinea", -4.0833, 137.1833, 4884},
    {"Mauna Kea", "Hawaii", 19.8207, -155.4681, 4207},
    {"Kosciuszko", "Australia", -36.4559, 148.2636, 2228},
    {"Aoraki", "New Zealand", -43.5950, 170.1418, 3724},
    {"Kilimanjaro", "East Africa", -3.0758, 37.3533, 5895},
    {"Mount Kenya", "East Africa", -0.1521, 37.3084, 5199},
    {"Mount Stanley", "East Africa", 0.3858, 29.8719, 5109},
    {"Toubkal", "Atlas", 31.0597, -7.9153, 4167},
    {"Mount Cameroon", "West Africa", 4.2033, 9.1706, 4040},
    {"Denali", "Alaska", 63.0695, -151.0074, 6190},
    {"Mount Logan", "Saint Elias", 60.5672, -140.4053, 5959},
    {"Mount Rainier", "Cascades", 46.8529, -121.7604, 4392},
    {"Mount Whitney", "Sierra Nevada of California", 36.5785, -118.2923, 4421},
    {"Mount Elbert", "Rocky Mountains", 39.1178, -106.4453, 4401},
    {"Pico de Orizaba", "Mexico", 19.0303, -97.2681, 5636},
    {"Chimborazo", "Andes", -1.4692, -78.8175, 6263},
    {"Huascaran", "Andes", -9.1217, -77.6042, 6768},
    {"Ojos del Salado", "Andes", -27.1094, -68.5411, 6893},
    {"Aconcagua", "Andes", -32.6532, -70.0109, 6961},
    {"Mount Vinson", "Antarctica", -78.5254, -85.6171, 4892},
};

}  // namespace

std::span<const Peak> WellKnownPeaks() { return kPeaks; }

}  // namespace worldmap
