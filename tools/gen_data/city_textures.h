// The bitmaps of the city model: facades, roofs, streets, parks, the land round the city and
// its dusk sky. Scales are in city units so that the model can map them by position.
#pragma once
#include "data_writers.h"

namespace gen {

constexpr int kFacadeStyles = 5;
constexpr double kFacadeTile = 32;   // units of wall per facade texture (8 floors, 8 bays)
constexpr double kRoadTile = 64;     // units of street per road texture along its length
constexpr double kStreetWidth = 16;  // road texture across: curb to curb
constexpr double kBlockTile = 64;    // plaza and park textures cover one block once
constexpr double kSuburbTile = 256;
constexpr double kFieldTile = 1024;
constexpr double kRockTile = 300;
constexpr double kWaterTile = 240;
// The sun of the dusk sky: direction of longitude 0 is -Z, +pi/2 is +X.
constexpr double kSunLongitude = 1.5707963267948966, kSunLatitude = 0.07;
constexpr double kSkyLowestLatitude = -0.21;  // the dome reaches this far below the horizon

Image facadeImage(int style);
Image roofImage();
Image roadImage();
Image crossingImage();
Image plazaImage();
Image parkImage();
Image suburbImage();
Image fieldsImage();
Image rockImage();
Image waterImage();
Image duskSkyImage();

}  // namespace gen
