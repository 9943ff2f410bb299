# Turns the rendered artwork into what the resource script embeds: raw 32-bit BGRA pixels of
# the size each piece is used at, and the application icon. A piece not rendered yet gets a
# plain placeholder of the right size, so the program builds before the artwork exists.
# Called with -DRENDERED=<folder of PNGs> -DOUT=<output folder> -DCONVERT=<ImageMagick convert>.
set(pieces
    lamp_green:60x60 lamp_red:60x60 lamp_yellow:60x60
    paw_green:16x16 paw_red:16x16 paw_yellow:16x16
    ball_gray:16x16 ball_blue:16x16 ball_green:16x16 ball_red:16x16 ball_yellow:16x16
    warning_triangle:40x40 logo:143x60 app_icon:32x32)
file(MAKE_DIRECTORY ${OUT})

function(run_convert)
  execute_process(COMMAND ${CONVERT} ${ARGN} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "convert ${ARGN} failed: ${err}")
  endif()
endfunction()

foreach(piece IN LISTS pieces)
  string(REPLACE ":" ";" parts ${piece})
  list(GET parts 0 name)
  list(GET parts 1 size)
  set(png ${RENDERED}/${name}.png)
  if(EXISTS ${png})
    set(source ${png})
  else()
    set(source -size ${size} "xc:#808080")
  endif()
  run_convert(${source} -background none -resize ${size}! -depth 8 BGRA:${OUT}/${name}.bgra)
endforeach()

if(EXISTS ${RENDERED}/app_icon_256.png)
  # 256 px for Explorer's large views (stored as PNG inside the icon), 48, 32 and 16 for the rest.
  run_convert(${RENDERED}/app_icon_256.png -background none -define icon:auto-resize=256,48,32,16
              ${OUT}/app_icon.ico)
elseif(EXISTS ${RENDERED}/app_icon.png)
  run_convert(${RENDERED}/app_icon.png -background none -define icon:auto-resize=48,32,16
              ${OUT}/app_icon.ico)
else()
  run_convert(-size 32x32 "xc:#808080" ${OUT}/app_icon.ico)
endif()
file(TOUCH ${OUT}/art.stamp)
