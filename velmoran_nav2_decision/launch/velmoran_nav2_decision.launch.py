"""Starts the navigation decision node with its parameter file.

The node configures and activates itself at start-up; it is launched as a lifecycle node so that
its state can be watched and driven with the usual lifecycle tools.

    ros2 launch velmoran_nav2_decision velmoran_nav2_decision.launch.py \
        behavior_tree:=/path/to/tree.xml
"""

from launch import LaunchDescription
from launch.actions import DeclareLaunchArgument
from launch.substitutions import LaunchConfiguration, PathJoinSubstitution
from launch_ros.actions import LifecycleNode
from launch_ros.substitutions import FindPackageShare


def generate_launch_description():
    config = PathJoinSubstitution([FindPackageShare('velmoran_nav2_decision'), 'config'])
    namespace = LaunchConfiguration('namespace')
    params_file = LaunchConfiguration('params_file')
    behavior_tree = LaunchConfiguration('behavior_tree')

    return LaunchDescription([
        DeclareLaunchArgument(
            'namespace', default_value='',
            description='Namespace of the node and of its relative topics'),
        DeclareLaunchArgument(
            'params_file',
            default_value=PathJoinSubstitution([config, 'velmoran_nav2_decision.yaml']),
            description='Parameter file of the node'),
        DeclareLaunchArgument(
            'behavior_tree',
            default_value=PathJoinSubstitution([config, 'minimal_tree.xml']),
            description='Behaviour-tree XML file run for every job'),
        LifecycleNode(
            package='velmoran_nav2_decision',
            executable='velmoran_nav2_decision',
            name='velmoran_nav2_decision',
            namespace=namespace,
            output='screen',
            parameters=[params_file, {'behavior_tree': behavior_tree}],
            # In a namespace the robot's transforms are the namespaced ones, as for the other
            # navigation nodes of a multi-robot set-up.
            remappings=[('/tf', 'tf'), ('/tf_static', 'tf_static')],
        ),
    ])
