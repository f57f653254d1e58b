# The window's pictures and icon, drawn from the SVGs in resources/ at build
# time at each device pixel ratio the window picks from (1x, 1.5x, 2x), and
# compiled into the program as PNGs: the program never loads the SVG engine.
# Defines NUTROVO_PICTURE_SOURCES, the compiled resource for the planner.

add_executable(nutrovo_render_icon "${PROJECT_SOURCE_DIR}/packaging/render_icon.cpp")
target_compile_options(nutrovo_render_icon PRIVATE ${NUTROVO_WARNINGS})
target_link_libraries(nutrovo_render_icon PRIVATE Qt6::Gui Qt6::Svg)

set(_nutrovo_pictures_dir "${PROJECT_BINARY_DIR}/pictures")
file(MAKE_DIRECTORY "${_nutrovo_pictures_dir}")
set(_nutrovo_picture_entries "")

# nutrovo_render_picture(SVG NAME WIDTH HEIGHT SCALE): NAME@SCALEx.png, or
# NAME.png at 1x, of WIDTH x HEIGHT logical pixels, into the resource.
function(nutrovo_render_picture svg name width height scale)
    math(EXPR w "(${width} * ${scale} + 5) / 10")
    math(EXPR h "(${height} * ${scale} + 5) / 10")
    if(scale EQUAL 10)
        set(file "${name}.png")
    elseif(scale EQUAL 15)
        set(file "${name}@1.5x.png")
    else()
        math(EXPR whole "${scale} / 10")
        set(file "${name}@${whole}x.png")
    endif()
    set(svg_path "${PROJECT_SOURCE_DIR}/resources/${svg}")
    add_custom_command(OUTPUT "${_nutrovo_pictures_dir}/${file}"
        COMMAND nutrovo_render_icon "${svg_path}" "${w}x${h}" "${_nutrovo_pictures_dir}/${file}"
        DEPENDS nutrovo_render_icon "${svg_path}"
        COMMENT "Rendering ${file}"
        VERBATIM)
    set(_nutrovo_picture_entries "${_nutrovo_picture_entries}    <file>${file}</file>\n" PARENT_SCOPE)
endfunction()

# Scales in tenths.
foreach(scale 10 15 20)
    nutrovo_render_picture(apple.svg apple 29 33 ${scale})
    nutrovo_render_picture(help.svg help 20 20 ${scale})
endforeach()
# The window icon at the sizes a window manager asks for most.
foreach(size 16 32 48 64)
    nutrovo_render_picture(nutrovo.svg nutrovo-${size} ${size} ${size} 10)
endforeach()

set(_nutrovo_pictures_qrc "${_nutrovo_pictures_dir}/pictures.qrc")
file(CONFIGURE OUTPUT "${_nutrovo_pictures_qrc}" CONTENT
"<!DOCTYPE RCC>
<RCC version=\"1.0\">
  <qresource prefix=\"/nutrovo\">
${_nutrovo_picture_entries}  </qresource>
</RCC>
")
qt6_add_resources(NUTROVO_PICTURE_SOURCES "${_nutrovo_pictures_qrc}")
